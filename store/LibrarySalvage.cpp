#include "store/LibrarySalvage.h"

#include <cstdio>
#include <memory>

#include "platform/ComPtr.h"
#include "store/ElementWalk.h"
#include "store/StorageHandle.h"

namespace vellora {

std::string SalvageResult::Summary(size_t maxLost) const {
  char head[160];
  std::snprintf(head, sizeof head, "%u storages and %u streams were saved; %u elements could not be read.",
                static_cast<unsigned>(storages), static_cast<unsigned>(streams), static_cast<unsigned>(lost.size()));
  std::string out = head;
  for (size_t i = 0; i < lost.size() && i < maxLost; ++i) out += "\n- " + lost[i];
  if (lost.size() > maxLost) out += "\n- ...";
  return out;
}

SalvageResult SalvageLibrary(const std::string& source, const std::string& target) {
  SalvageResult result;
  if (lstrcmpiA(source.c_str(), target.c_str()) == 0) {
    result.result = E_INVALIDARG;
    return result;
  }
  MappedFile file;
  if (!file.Open(source.c_str())) {
    result.check.openError = file.Error();
    result.result = HRESULT_FROM_WIN32(file.Error());
    return result;
  }
  CompoundFileReader reader;
  reader.Load(file.Bytes(), file.Size(), result.check);
  if (!reader.HasRoot()) {
    result.result = STG_E_DOCFILECORRUPT;
    return result;
  }
  StorageHandle root;
  result.result = root.CreateRoot(target.c_str(), kWriteMode);
  if (FAILED(result.result)) return result;
  const std::vector<CompoundEntry>& entries = reader.Entries();
  root->SetClass(entries[0].clsid);

  // Depth first, holding only the storages on the way down: the platform
  // invalidates a storage whose parent is released.
  struct Frame {
    uint32_t entry;
    ComPtr<IStorage> into;
    size_t next = 0;
  };
  std::vector<Frame> way;
  root.Get()->AddRef();
  way.push_back({0, ComPtr<IStorage>(root.Get())});
  std::vector<uint8_t> bytes;
  while (!way.empty()) {
    Frame& here = way.back();
    const std::vector<uint32_t>& children = entries[here.entry].children;
    if (here.next == children.size()) {
      way.pop_back();
      continue;
    }
    uint32_t id = children[here.next++];
    const CompoundEntry& e = entries[id];
    std::wstring name = reader.NameOf(id);
    if (e.type == 1) {
      ComPtr<IStorage> made;
      if (FAILED(here.into->CreateStorage(name.c_str(), kWriteMode, 0, 0, made.Put()))) {
        result.lost.push_back(reader.PathOf(id));
        continue;
      }
      made->SetClass(e.clsid);
      ++result.storages;
      if (e.depth < kMaxElementDepth) way.push_back({id, std::move(made)});
      else if (!entries[id].children.empty()) result.lost.push_back(reader.PathOf(id) + " (what lies below it)");
      continue;
    }
    ComPtr<IStream> made;
    if (!reader.ReadStream(id, bytes) ||
        FAILED(here.into->CreateStream(name.c_str(), kWriteMode, 0, 0, made.Put()))) {
      result.lost.push_back(reader.PathOf(id));
      continue;
    }
    ULONG put = 0;
    HRESULT hr = bytes.empty() ? S_OK : made->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &put);
    made.Reset();
    if (FAILED(hr) || put != bytes.size()) {
      here.into->DestroyElement(name.c_str());
      result.lost.push_back(reader.PathOf(id));
      continue;
    }
    ++result.streams;
  }
  result.result = root.Commit();
  root.Release();
  if (FAILED(result.result)) DeleteFileA(target.c_str());
  return result;
}

}  // namespace vellora
