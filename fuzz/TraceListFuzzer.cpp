#include "CFuzzFolder.h"
#include "CTraceListStore.h"
#include "FuzzCheck.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class CCountingNotifier final : public ITraceListNotifier {
public:
    void Notify(const std::string&) override { ++m_nMessages; }
    int m_nMessages = 0;
};

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

// Any bytes as "trace.list": the traces loaded from them are saved and loaded again
// unchanged, and saving those writes the same bytes again.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CFuzzFolder folder;
    const fs::path list = folder.Path() / CTraceListStore::kFileName;
    {
        std::ofstream out(list, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        FUZZ_CHECK(out.good());
    }
    CCountingNotifier notifier;
    CTraceListStore store(folder.Path(), notifier);
    store.LoadTraceList();
    const std::vector<CTraceSettings> loaded = store.GetTraces();
    store.SaveTraceList();
    const std::string saved = ReadBytes(list);
    store.LoadTraceList();
    FUZZ_CHECK(store.GetTraces() == loaded);
    store.SaveTraceList();
    FUZZ_CHECK(ReadBytes(list) == saved);
    FUZZ_CHECK(notifier.m_nMessages == 0);
    return 0;
}
