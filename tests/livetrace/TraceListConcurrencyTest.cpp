#include "CTraceListStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

class CSilentNotifier final : public ITraceListNotifier {
public:
    void Notify(const std::string&) override {}
};

// Eight programs, each with its own store, add twenty traces each at the same time, the way
// the "Oracle Trace Admin" dialog adds one: every one of the 160 traces must be in the list.
TEST(TraceListConcurrencyTest, WritersAddingAtOnceLoseNothing) {
    std::string pattern = (fs::temp_directory_path() / "velquor-list-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path folder = pattern;
    constexpr int kWriters = 8;
    constexpr int kAdditions = 20;
    std::vector<std::thread> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        writers.emplace_back([&folder, writer] {
            CSilentNotifier notifier;
            CTraceListStore store(folder, notifier);
            for (int i = 0; i < kAdditions; ++i) {
                const std::string name = std::to_string(writer) + "-" + std::to_string(i);
                store.ChangeTraceList([&store, &name] {
                    CTraceSettings trace;
                    trace.SetValue(CTraceSettings::kTraceName, name);
                    trace.SetValue(CTraceSettings::kTracePath, "/trace/" + name);
                    store.GetTraces().push_back(trace);
                    return true;
                });
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    CSilentNotifier notifier;
    CTraceListStore store(folder, notifier);
    store.LoadTraceList();
    std::set<std::string> names;
    for (const CTraceSettings& trace : store.GetTraces()) {
        names.insert(trace.GetValue(CTraceSettings::kTraceName));
    }
    EXPECT_EQ(store.GetTraces().size(), std::size_t(kWriters * kAdditions));
    EXPECT_EQ(names.size(), std::size_t(kWriters * kAdditions));
    fs::remove_all(folder);
}

} // namespace
