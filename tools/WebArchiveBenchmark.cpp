// Times writing a web archive of 5 MB and reading it back (its parts and the
// page's visible text): a 5 MB page alone, and a small page with 5 MB of
// pictures taken from files on disk.
//   WebArchiveBenchmark <scratch folder>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "store/WebArchive.h"
#include "tools/BenchmarkTiming.h"

using namespace vellora;

namespace {

std::string BigPage(size_t bytes) {
  std::string html = "<html><head><title>Big</title><style>p { margin: 0 }</style></head><body>\r\n";
  int n = 0;
  while (html.size() < bytes)
    html += "<p>Paragraph " + std::to_string(++n) +
            " &amp; some words = text that wraps, caf\xE9 and more <b>bold</b> words.</p>\r\n";
  return html + "</body></html>\r\n";
}

std::string Noise(size_t bytes, unsigned seed) {
  std::string out(bytes, '\0');
  for (char& c : out) {
    seed = seed * 1103515245 + 12345;
    c = static_cast<char>(seed >> 24);
  }
  return out;
}

void Time(const char* what, const std::string& address, const std::string& html) {
  LARGE_INTEGER t0 = Now();
  std::string archive;
  HRESULT hr = ArchivePage(address, html, "", archive);
  LARGE_INTEGER t1 = Now();
  std::vector<ArchivePart> parts;
  bool read = ReadWebArchive(archive, parts);
  LARGE_INTEGER t2 = Now();
  std::string text = ArchiveDocumentText(archive);
  LARGE_INTEGER t3 = Now();
  size_t bytes = 0;
  for (const ArchivePart& part : parts) bytes += part.bytes.size();
  std::printf("%-28s hr %08lx, archive %.1f MB, %zu parts (%.1f MB): write %.0f ms, read %.0f ms, text %.0f ms "
              "(%zu bytes), total %.0f ms\n",
              what, static_cast<unsigned long>(hr), archive.size() / 1048576.0, read ? parts.size() : 0,
              bytes / 1048576.0, Milliseconds(t0, t1), Milliseconds(t1, t2), Milliseconds(t2, t3), text.size(),
              Milliseconds(t0, t3));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: WebArchiveBenchmark <scratch folder>\n");
    return 2;
  }
  std::string folder = argv[1];
  CreateDirectoryA(folder.c_str(), nullptr);
  Time("a 5 MB page", folder + "\\big.html", BigPage(5u << 20));

  std::string page = "<html><body><p>Pictures</p>";
  for (int i = 0; i < 20; ++i) {
    std::string name = "picture" + std::to_string(i) + ".png";
    std::string bytes = Noise(256u << 10, static_cast<unsigned>(i));
    HANDLE file = CreateFileA((folder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE || !WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                                   nullptr)) {
      std::fprintf(stderr, "cannot write %s\n", name.c_str());
      return 1;
    }
    CloseHandle(file);
    page += "<img src=\"" + name + "\">";
  }
  page += "</body></html>";
  Time("5 MB of pictures from files", folder + "\\pictures.html", page);
  return 0;
}
