#include "CTraceListStore.h"
#include "FuzzCheck.h"

#include <cstdint>
#include <cstdlib>
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

// The folder that holds the list while the target runs: in memory where there is such a
// folder, so that the saves' syncs cost no disk writes.
class CListFolder final {
public:
    CListFolder() {
        const fs::path base =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "velquor-fuzz-XXXXXX").string();
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        m_path = pattern;
    }
    ~CListFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    CListFolder(const CListFolder&) = delete;
    CListFolder& operator=(const CListFolder&) = delete;

    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

// Any bytes as "trace.list": the traces loaded from them are saved and loaded again
// unchanged, and saving those writes the same bytes again.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CListFolder folder;
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
