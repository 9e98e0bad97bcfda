// Web archives: parts written and read back byte for byte, a page on disk
// archived with everything it uses (and nothing twice), the limits, damaged
// archives, and the visible text a reader without a browser engine shows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

#include "store/WebArchive.h"
#include "tests/TestSupport.h"

using namespace vellora;

namespace {

std::string AllByteValues(size_t count) {
  std::string bytes;
  for (size_t i = 0; i < count; ++i) bytes += static_cast<char>((i * 7 + i / 256) & 0xFF);
  return bytes;
}

// A PNG's signature and header chunk followed by every byte value: what
// matters here is that no byte is changed on the way.
std::string PictureBytes(char tag) {
  return std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + tag + AllByteValues(700);
}

// A small site: a page with a style sheet (importing two more, one of which
// imports the first again), inline styles, a script, pictures, a missing
// picture and a frame that frames the page again.
struct Site {
  std::string folder;
  std::map<std::string, std::string> files;  // relative name -> bytes

  explicit Site(const std::string& where) : folder(where) {
    files["page.html"] =
        "<html><head><meta charset=\"utf-8\"><title>Trip &amp; notes</title>\r\n"
        "<link rel=\"stylesheet\" href=\"css/site.css\">\r\n"
        "<style>body { background: url('img/back.gif') }</style>\r\n"
        "<script src=\"app.js\"></script></head>\r\n"
        "<body background=\"img/body.png\"><p>Hello <b>there</b></p>\r\n"
        "<img src=\"img/photo.png\"><img src=\"img/photo.png#again\"><img src=\"missing.png\">\r\n"
        "<iframe src=\"frame.html\"></iframe>\r\n"
        "<div style=\"background-image:url(&quot;img/div.png&quot;)\">boxed</div>\r\n"
        "<a href=\"other.html\">a link, not a part</a><img src=\"data:image/png;base64,AAAA\"></body></html>\r\n";
    files["css/site.css"] =
        "@import \"print.css\";\n@import url(more.css);\n.x { background: url(../img/photo.png) }\n"
        "/* url(commented.png) */\n";
    files["css/print.css"] = ".y { background: url(\"dot.png\") }\n";
    files["css/more.css"] = "@import 'site.css';\n";
    files["frame.html"] = "<html><body><iframe src=\"page.html\"></iframe><img src=\"img/framed.png\"></body></html>";
    files["app.js"] = "document.title = 'a = b';\n";
    files["img/photo.png"] = PictureBytes('p');
    files["img/back.gif"] = "GIF89a" + AllByteValues(300);
    files["img/body.png"] = PictureBytes('b');
    files["img/div.png"] = PictureBytes('d');
    files["img/framed.png"] = PictureBytes('f');
    files["css/dot.png"] = PictureBytes('.');
    CreateDirectoryA((folder + "\\css").c_str(), nullptr);
    CreateDirectoryA((folder + "\\img").c_str(), nullptr);
    for (const auto& [name, bytes] : files) {
      std::string path = folder + "\\" + name;
      for (char& c : path)
        if (c == '/') c = '\\';
      EXPECT_TRUE(vtest::WriteWholeFile(path, bytes)) << path;
    }
  }
  std::string Page() const { return folder + "\\page.html"; }
  // The file: URL of a file of the site, as the archive names it.
  std::string Url(const std::string& name) const { return ArchiveAddress(folder + "\\" + name); }
};

std::map<std::string, const ArchivePart*> ByLocation(const std::vector<ArchivePart>& parts) {
  std::map<std::string, const ArchivePart*> map;
  for (const ArchivePart& part : parts) map[part.location] = &part;
  return map;
}

// Pages kept in memory, counting how often each address is asked for.
struct MemoryWeb {
  std::map<std::string, std::pair<std::string, std::string>> pages;  // address -> bytes, content type
  std::map<std::string, int> asked;
  ResourceFetcher Fetcher() {
    return [this](const std::string& address, std::string& bytes, std::string& type) {
      ++asked[address];
      auto it = pages.find(address);
      if (it == pages.end()) return false;
      bytes = it->second.first;
      type = it->second.second;
      return true;
    };
  }
};

TEST(WebArchive, PartsComeBackByteForByte) {
  std::string lines = "first\r\nlone LF\nlone CR\rtrailing spaces   \r\ntab\t\r\n= signs ==\r\n";
  lines += std::string(300, 'x') + "\r\n" + std::string(200, '=') + "\r\n";
  lines += "--" "----=_NextPart_000_0000_01D0VELLORA\r\n.\r\nFrom the start\r\n\xC4\xE3\xBA\xC3 8-bit";
  ArchivePart document{"http://example.com/a%20page.html", "text/html", "gbk", "<p>" + lines + "</p>"};
  std::vector<ArchivePart> resources = {
      {"http://example.com/all.bin", "application/octet-stream", "", AllByteValues(4096)},
      {"http://example.com/empty.png", "image/png", "", ""},
      {"http://example.com/one.png", "image/png", "", "\x01"},
      {"http://example.com/two.png", "image/png", "", std::string("\0\xFF", 2)},
      {"http://example.com/three.png", "image/png", "", "abc"},
      {"http://example.com/style.css", "text/css", "utf-8", lines + " "},
      {"http://example.com/empty.css", "text/css", "", ""},
      {"http://example.com/trailing.js", "application/x-javascript", "utf-8", "a = 1; \t"},
  };
  std::string archive = BuildWebArchive(document, resources, "Notes \xC4\xE3");

  // Every line of the body fits in 76 columns (the headers are short too).
  size_t start = 0;
  while (start < archive.size()) {
    size_t end = archive.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "the archive ends with a line break";
    EXPECT_LE(end - start, 76u) << archive.substr(start, 80);
    start = end + 2;
  }

  std::vector<ArchivePart> parts;
  ASSERT_TRUE(ReadWebArchive(archive, parts));
  ASSERT_EQ(parts.size(), resources.size() + 1);
  EXPECT_EQ(parts[0].location, document.location);
  EXPECT_EQ(parts[0].contentType, "text/html");
  EXPECT_EQ(parts[0].charset, "gbk");
  EXPECT_EQ(parts[0].bytes, document.bytes);
  for (size_t i = 0; i < resources.size(); ++i) {
    SCOPED_TRACE(resources[i].location);
    EXPECT_EQ(parts[i + 1].location, resources[i].location);
    EXPECT_EQ(parts[i + 1].contentType, resources[i].contentType);
    EXPECT_EQ(parts[i + 1].charset, resources[i].charset);
    EXPECT_EQ(parts[i + 1].bytes, resources[i].bytes);
  }
  EXPECT_NE(archive.find("Subject: =?gbk?B?"), std::string::npos);
}

TEST(WebArchive, TheDocumentIsThePartTheRootNamesElseTheFirstPage) {
  struct Case {
    const char* what;
    std::string archive;
    std::string firstLocation;
  };
  const std::string picture =
      "Content-Type: image/png\r\nContent-Transfer-Encoding: base64\r\nContent-ID: <pic>\r\n"
      "Content-Location: http://h/p.png\r\n\r\nAAEC\r\n";
  const std::string page =
      "Content-Type: text/html\r\nContent-ID: <root@h>\r\nContent-Location: http://h/\r\n\r\n<p>x</p>\r\n";
  const std::string other = "Content-Type: text/html\r\nContent-Location: http://h/other\r\n\r\n<p>y</p>\r\n";
  Case cases[] = {
      {"start names the root",
       "Content-Type: multipart/related; start=\"<root@h>\"; boundary=b\r\n\r\n--b\r\n" + picture + "--b\r\n" + other +
           "--b\r\n" + page + "--b--\r\n",
       "http://h/"},
      {"no start: the first page",
       "Content-Type: multipart/related; boundary=\"b\"\r\n\r\n--b\r\n" + picture + "--b\r\n" + other + "--b\r\n" +
           page + "--b--\r\n",
       "http://h/other"},
      {"LF line ends, folded header, no closing delimiter",
       "MIME-Version: 1.0\nContent-Type: multipart/related;\n\tboundary=\"b\"\n\npreamble\n--b\nContent-Type: "
       "text/html\nContent-Location: http://h/lf\n\n<p>z</p>\n--b\n",
       "http://h/lf"},
      {"a single page with MIME headers", "MIME-Version: 1.0\r\nContent-Type: text/html\r\n\r\n<p>one</p>", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<ArchivePart> parts;
    ASSERT_TRUE(ReadWebArchive(c.archive, parts));
    EXPECT_EQ(parts.front().location, c.firstLocation);
    EXPECT_EQ(parts.front().contentType, "text/html");
  }
}

TEST(WebArchive, APageOnDiskIsArchivedWithWhatItUsesEachOnce) {
  vtest::TempDir dir;
  Site site(dir.Path());
  std::string archive;
  ASSERT_HRESULT_SUCCEEDED(ArchivePage(site.Page(), "", "", archive));
  std::vector<ArchivePart> parts;
  ASSERT_TRUE(ReadWebArchive(archive, parts));

  EXPECT_EQ(parts[0].location, site.Url("page.html"));
  EXPECT_EQ(parts[0].location.rfind("file:///", 0), 0u) << parts[0].location;
  EXPECT_EQ(parts[0].charset, "utf-8") << "from the page's <meta>";
  EXPECT_EQ(parts[0].bytes, site.files["page.html"]) << "the references are kept as written";
  EXPECT_NE(archive.find("Subject: Trip & notes\r\n"), std::string::npos) << "the title from the page";

  std::set<std::string> expected;
  for (const auto& [name, bytes] : site.files) expected.insert(site.Url(name));
  std::set<std::string> found;
  for (const ArchivePart& part : parts) EXPECT_TRUE(found.insert(part.location).second) << "twice: " << part.location;
  EXPECT_EQ(found, expected) << "the missing picture, the link and the data address are no parts";

  auto parts_by = ByLocation(parts);
  for (const auto& [name, bytes] : site.files) {
    SCOPED_TRACE(name);
    const ArchivePart* part = parts_by[site.Url(name)];
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->bytes, bytes);
  }
  EXPECT_EQ(parts_by[site.Url("img/photo.png")]->contentType, "image/png");
  EXPECT_EQ(parts_by[site.Url("img/back.gif")]->contentType, "image/gif");
  EXPECT_EQ(parts_by[site.Url("css/site.css")]->contentType, "text/css");
  EXPECT_EQ(parts_by[site.Url("css/site.css")]->charset, "utf-8") << "the page's charset passes to its style sheets";
  EXPECT_EQ(parts_by[site.Url("frame.html")]->contentType, "text/html");
  EXPECT_TRUE(parts_by[site.Url("img/photo.png")]->charset.empty());
  // A part comes before the parts it uses.
  auto index = [&](const std::string& name) {
    for (size_t i = 0; i < parts.size(); ++i)
      if (parts[i].location == site.Url(name)) return i;
    return parts.size();
  };
  EXPECT_LT(index("css/site.css"), index("css/print.css"));
  EXPECT_LT(index("css/print.css"), index("css/dot.png"));
  EXPECT_LT(index("frame.html"), index("img/framed.png"));
}

TEST(WebArchive, AddressesResolveAgainstThePageAndItsBase) {
  struct Case {
    const char* base;
    const char* reference;
    const char* expected;
  };
  const Case cases[] = {
      {"http://a/b/c/d;p?q", "g", "http://a/b/c/g"},
      {"http://a/b/c/d;p?q", "./g", "http://a/b/c/g"},
      {"http://a/b/c/d;p?q", "g/", "http://a/b/c/g/"},
      {"http://a/b/c/d;p?q", "/g", "http://a/g"},
      {"http://a/b/c/d;p?q", "//g/x", "http://g/x"},
      {"http://a/b/c/d;p?q", "?y", "http://a/b/c/d;p?y"},
      {"http://a/b/c/d;p?q", "g?y#s", "http://a/b/c/g?y#s"},
      {"http://a/b/c/d;p?q", "..", "http://a/b/"},
      {"http://a/b/c/d;p?q", "../../../g", "http://a/g"},
      {"http://a/b/c/d;p?q", "g;x=1/../y", "http://a/b/c/y"},
      {"http://a/b/c/d;p?q", "HTTPS://other/x.png", "HTTPS://other/x.png"},
      {"http://a", "p.png", "http://a/p.png"},
      {"http://a/b/", " pics\\a b.png ", "http://a/b/pics/a%20b.png"},
      {"file:///C:/site/page.html", "../x.css", "file:///C:/x.css"},
      {"C:\\site\\page.html", "img/a.png", "file:///C:/site/img/a.png"},
      {"C:\\my site\\page.html", "a.png", "file:///C:/my%20site/a.png"},
      {"http://a/b", "D:\\pics\\a.png", "file:///D:/pics/a.png"},
      {"http://a/b", "\\\\server\\share\\a.png", "file://server/share/a.png"},
  };
  for (const Case& c : cases) EXPECT_EQ(ResolveAddress(c.base, c.reference), c.expected) << c.base << " + " << c.reference;
}

TEST(WebArchive, BaseElementAndServerTypesDecide) {
  MemoryWeb web;
  web.pages["http://site/dir/index.html"] = {
      "<html><head><base href=\"http://cdn/assets/\"></head><body><img src=\"a\"><img src='/b'></body></html>",
      "text/html; charset=windows-1251"};
  web.pages["http://cdn/assets/a"] = {"GIF89a", "image/gif"};
  web.pages["http://cdn/b"] = {"body{}", "text/css; flag; Charset = \"koi8-r\"; x=y"};
  std::string archive;
  ASSERT_HRESULT_SUCCEEDED(ArchivePage("http://site/dir/index.html", "", "T", archive, web.Fetcher()));
  std::vector<ArchivePart> parts;
  ASSERT_TRUE(ReadWebArchive(archive, parts));
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[0].charset, "windows-1251") << "the server's charset when the page names none";
  EXPECT_EQ(parts[1].location, "http://cdn/assets/a");
  EXPECT_EQ(parts[1].contentType, "image/gif");
  EXPECT_EQ(parts[2].location, "http://cdn/b");
  EXPECT_EQ(parts[2].contentType, "text/css");
  EXPECT_EQ(parts[2].charset, "koi8-r");
}

TEST(WebArchive, LimitsLeaveResourcesOutButKeepThePage) {
  MemoryWeb web;
  web.pages["http://h/f1"] = {"<img src=a.png><iframe src=f2></iframe>", "text/html"};
  web.pages["http://h/f2"] = {"<iframe src=f3></iframe>", "text/html"};
  web.pages["http://h/f3"] = {"<iframe src=f4></iframe><iframe src=f1></iframe>", "text/html"};
  web.pages["http://h/f4"] = {"<iframe src=f5></iframe>", "text/html"};
  web.pages["http://h/f5"] = {"deepest", "text/html"};
  web.pages["http://h/a.png"] = {std::string(1000, 'a'), "image/png"};
  web.pages["http://h/b.png"] = {std::string(10, 'b'), "image/png"};
  const std::string page = "<img src=a.png><img src=b.png><img src=a.png><frame src=f1>";
  struct Case {
    const char* what;
    ArchiveLimits limits;
    std::vector<std::string> locations;
  };
  const Case cases[] = {
      {"defaults: three frames deep", {}, {"http://h/", "http://h/a.png", "http://h/b.png", "http://h/f1",
                                           "http://h/f2", "http://h/f3"}},
      {"no frames", {256, 64u << 20, 0}, {"http://h/", "http://h/a.png", "http://h/b.png"}},
      {"three parts", {3, 64u << 20, 3}, {"http://h/", "http://h/a.png", "http://h/b.png"}},
      {"the big picture does not fit", {256, page.size() + 500, 1}, {"http://h/", "http://h/b.png", "http://h/f1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    web.asked.clear();
    std::string archive;
    ASSERT_HRESULT_SUCCEEDED(ArchivePage("http://h/", page, "", archive, web.Fetcher(), c.limits));
    std::vector<ArchivePart> parts;
    ASSERT_TRUE(ReadWebArchive(archive, parts));
    std::vector<std::string> locations;
    for (const ArchivePart& part : parts) locations.push_back(part.location);
    EXPECT_EQ(locations, c.locations);
    for (const auto& [address, count] : web.asked) EXPECT_EQ(count, 1) << address << " asked more than once";
    EXPECT_EQ(web.asked.count("http://h/"), 0u) << "the given page is not fetched";
  }
}

TEST(WebArchive, AChainOfImportsIsFollowedOnlySoFar) {
  // Deep enough that following it all would use up the test program's small stack.
  MemoryWeb web;
  for (int i = 0; i < 5000; ++i)
    web.pages["http://c/" + std::to_string(i)] = {"@import '" + std::to_string(i + 1) + "';", "text/css"};
  ArchiveLimits generous;
  generous.maxParts = 100000;
  std::string archive;
  ASSERT_HRESULT_SUCCEEDED(
      ArchivePage("http://c/page", "<link rel=stylesheet href=0>", "", archive, web.Fetcher(), generous));
  std::vector<ArchivePart> parts;
  ASSERT_TRUE(ReadWebArchive(archive, parts));
  EXPECT_GT(parts.size(), 10u);
  EXPECT_LT(parts.size(), 100u);
}

TEST(WebArchive, APageThatCannotBeHadFails) {
  MemoryWeb web;
  web.pages["http://h/empty"] = {"", "text/html"};
  std::string archive = "old";
  EXPECT_EQ(ArchivePage("http://h/none", "", "", archive, web.Fetcher()), E_FAIL);
  EXPECT_TRUE(archive.empty());
  EXPECT_EQ(ArchivePage("http://h/empty", "", "", archive, web.Fetcher()), E_FAIL);
  vtest::TempDir dir;
  EXPECT_EQ(ArchivePage(dir.File("missing.html"), "", "", archive), E_FAIL);
  ArchiveLimits small;
  small.maxBytes = 10;
  EXPECT_FALSE(SUCCEEDED(ArchivePage("http://h/", std::string(11, 'x'), "", archive, web.Fetcher(), small)));
  // Without an address the page is still archived, with no location.
  ASSERT_HRESULT_SUCCEEDED(ArchivePage("", "<p>alone</p><img src=rel.png>", "", archive, web.Fetcher()));
  std::vector<ArchivePart> parts;
  ASSERT_TRUE(ReadWebArchive(archive, parts));
  ASSERT_EQ(parts.size(), 1u);
  EXPECT_EQ(parts[0].bytes, "<p>alone</p><img src=rel.png>");
}

TEST(WebArchive, TheDefaultFetcherReadsPathsAndFileAddresses) {
  vtest::TempDir dir;
  std::string path = dir.File("a b#1.png");
  ASSERT_TRUE(vtest::WriteWholeFile(path, PictureBytes('x')));
  ResourceFetcher fetch = DefaultFetcher();
  for (const std::string& address : {path, ArchiveAddress(path), ArchiveAddress(path) + "#part"}) {
    SCOPED_TRACE(address);
    std::string bytes, type;
    ASSERT_TRUE(fetch(address, bytes, type));
    EXPECT_EQ(bytes, PictureBytes('x'));
    EXPECT_EQ(type, "image/png");
  }
  std::string bytes, type;
  EXPECT_FALSE(fetch(dir.File("none.png"), bytes, type));
  EXPECT_FALSE(fetch(ArchiveAddress(dir.File("none.png")), bytes, type));
  EXPECT_FALSE(fetch("relative.png", bytes, type));
  EXPECT_FALSE(fetch("javascript:alert(1)", bytes, type));
}

TEST(WebArchive, DamagedArchivesAreRefusedOrReadInPartWithoutCrashing) {
  const char* refused[] = {
      "",
      "just some text",
      "Content-Type: multipart/related\r\n\r\n--b\r\n\r\nx\r\n--b--",
      "Content-Type: multipart/related; boundary=\"b\"\r\n\r\nno delimiter at all",
      "Content-Type: multipart/related; boundary=\"b\"\r\n\r\n--b--\r\n",
      "Content-Type: text/html\r\n\r\n<p>no MIME version</p>",
      "Content-Type: multipart/related; boundary=\"b",
      "Content-Type: image/png\r\nMIME-Version: 1.0\r\n\r\nAAAA",
  };
  for (const char* text : refused) {
    std::vector<ArchivePart> parts;
    EXPECT_FALSE(ReadWebArchive(text, parts)) << text;
    EXPECT_TRUE(parts.empty());
  }

  vtest::TempDir dir;
  Site site(dir.Path());
  std::string archive;
  ASSERT_HRESULT_SUCCEEDED(ArchivePage(site.Page(), "", "", archive));
  std::vector<ArchivePart> whole;
  ASSERT_TRUE(ReadWebArchive(archive, whole));
  // Every cut of the archive, and the archive with bytes overwritten here and there.
  for (size_t cut = 0; cut <= archive.size(); cut += 7) {
    std::vector<ArchivePart> parts;
    std::string piece = archive.substr(0, cut);
    if (ReadWebArchive(piece, parts)) {
      ASSERT_LE(parts.size(), whole.size()) << cut;
      for (const ArchivePart& part : parts) ASSERT_LE(part.bytes.size(), piece.size());
    }
  }
  unsigned seed = 12345;
  for (int round = 0; round < 200; ++round) {
    std::string damaged = archive;
    for (int i = 0; i < 20; ++i) {
      seed = seed * 1103515245 + 12345;
      damaged[(seed >> 8) % damaged.size()] = static_cast<char>(seed >> 24);
    }
    std::vector<ArchivePart> parts;
    ReadWebArchive(damaged, parts);
    ASSERT_LE(parts.size(), damaged.size());
  }
  EXPECT_TRUE(ArchiveDocumentText("not an archive").empty());
}

TEST(WebArchive, AFloodOfPartsIsReadToABound) {
  std::string archive = "Content-Type: multipart/related; boundary=b\r\n\r\n";
  for (int i = 0; i < 40000; ++i) archive += "--b\r\n\r\n";
  std::vector<ArchivePart> parts;
  ASSERT_TRUE(ReadWebArchive(archive, parts));
  EXPECT_GT(parts.size(), 1000u);
  EXPECT_LT(parts.size(), 40000u);
}

// The expected text in the system code page, written as wide characters.
std::string Ansi(const wchar_t* text) {
  char out[512] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out, nullptr, nullptr);
  return out;
}

TEST(WebArchiveText, TheVisibleTextOfAPage) {
  struct Case {
    const char* what;
    std::string html;
    std::string charset;
    std::string expected;
  };
  const Case cases[] = {
      {"entities", "<p>Fish &amp; chips &lt;3&gt; &#65;&#x42;&nbsp;&copy &unknown; &amp</p>", "",
       Ansi(L"Fish & chips <3> AB \x00a9 &unknown; &")},
      {"scripts, styles, title and comments left out",
       "<html><head><title>T</title><style>p{color:red}</style></head><body><script>var a = '<p>no</p>';"
       "</script>Visible<!-- <p>hidden</p> --><SCRIPT type=x>also not</SCRIPT></body></html>",
       "", "Visible"},
      {"blocks and breaks", "<div>one</div><div>two</div>text<br>after<br><br>gap", "",
       "one\r\ntwo\r\ntext\r\nafter\r\n\r\ngap"},
      {"paragraphs", "<h1>Head</h1><p>a</p>\n\n<p>b</p><ul><li>x<li>y</ul>", "", "Head\r\n\r\na\r\n\r\nb\r\n\r\nx\r\ny"},
      {"spaces collapse", "  a \n\t b  <b> c </b>d", "", "a b c d"},
      {"preformatted text keeps its lines", "<pre>a\n  b\r\nc</pre>", "", "a\r\n  b\r\nc"},
      {"table cells", "<table><tr><td>1</td><td>2</td></tr><tr><td>3</td></tr></table>", "", "1\t2\r\n3"},
      {"a lone less-than is text", "a < b and c>d, 1<2", "", "a < b and c>d, 1<2"},
      {"unterminated markup", "text<p class=\"x", "", "text"},
      {"UTF-8 by the caller's charset", "<p>caf\xC3\xA9 \xE2\x80\x94</p>", "utf-8", Ansi(L"caf\x00e9 \x2014")},
      {"UTF-8 by the page's meta", "<meta http-equiv=Content-Type content='text/html; charset=UTF-8'>caf\xC3\xA9", "",
       Ansi(L"caf\x00e9")},
      {"a byte order mark decides", "\xEF\xBB\xBF<p>caf\xC3\xA9</p>", "windows-1252", Ansi(L"caf\x00e9")},
      {"UTF-16", std::string("\xFF\xFE<\0b\0>\0h\0i\0<\0/\0b\0>\0", 20), "", "hi"},
      {"windows-1252 bytes", "<p>caf\xE9</p>", "windows-1252", Ansi(L"caf\x00e9")},
  };
  for (const Case& c : cases) EXPECT_EQ(HtmlVisibleText(c.html, c.charset), c.expected) << c.what;
}

TEST(WebArchiveText, TheTextOfAnArchivedPage) {
  vtest::TempDir dir;
  Site site(dir.Path());
  std::string archive;
  ASSERT_HRESULT_SUCCEEDED(ArchivePage(site.Page(), "", "", archive));
  EXPECT_EQ(ArchiveDocumentText(archive), "Hello there\r\n\r\nboxed\r\na link, not a part");
  // A document of plain text shows as it is, markup-like characters and all.
  archive = BuildWebArchive({"", "text/plain", "utf-8", "a <b> &amp; c\r\n  line 2\n"}, {}, "");
  EXPECT_EQ(ArchiveDocumentText(archive), "a <b> &amp; c\r\n  line 2");
  archive = BuildWebArchive({"", "image/png", "", "\x89PNG"}, {}, "");
  EXPECT_EQ(ArchiveDocumentText(archive), "") << "a picture has no text";
}

// Under the GBK code page (936) a GBK page and a UTF-8 page read as GBK text.
TEST(WebArchiveGbk, PagesReadAsGbkText) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the GBK code page";
  const std::string gbk = "\xC4\xE3\xBA\xC3";  // two Chinese characters
  EXPECT_EQ(HtmlVisibleText("<meta charset=gbk><p>" + gbk + "</p>", ""), gbk);
  EXPECT_EQ(HtmlVisibleText("<p>\xE4\xBD\xA0\xE5\xA5\xBD</p>", "utf-8"), gbk);
  std::string archive;
  ASSERT_HRESULT_SUCCEEDED(ArchivePage("http://h/", "<title>" + gbk + "</title><p>" + gbk + "&amp;</p>", "",
                                       archive, [](const std::string&, std::string&, std::string&) { return false; }));
  EXPECT_NE(archive.find("charset=\"gb2312\""), std::string::npos) << "the system code page's charset";
  EXPECT_NE(archive.find("Subject: =?gb2312?B?xOO6ww==?="), std::string::npos);
  EXPECT_EQ(ArchiveDocumentText(archive), gbk + "&");
}

// Writes the site and its archive for the independent reader (the email
// package of Python) when the test run names a folder for them.
TEST(WebArchiveFiles, ForTheIndependentReader) {
  const char* out = std::getenv("VELLORA_ARCHIVE_OUT");
  if (!out || !*out) GTEST_SKIP() << "VELLORA_ARCHIVE_OUT names no folder";
  std::string folder = std::string(out) + "\\site";
  CreateDirectoryA(folder.c_str(), nullptr);
  Site site(folder);
  std::string archive;
  ASSERT_HRESULT_SUCCEEDED(ArchivePage(site.Page(), "", "", archive));
  ASSERT_TRUE(vtest::WriteWholeFile(std::string(out) + "\\page.mht", archive));
}

}  // namespace
