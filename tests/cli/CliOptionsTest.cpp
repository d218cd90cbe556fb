#include "CCliOptions.h"
#include "CUsageError.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

class CliOptionsRejectTest : public testing::TestWithParam<Args> {};

TEST_P(CliOptionsRejectTest, IsAUsageError) {
    EXPECT_THROW(CCliOptions::Parse(GetParam()), CUsageError);
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, CliOptionsRejectTest,
    testing::Values(Args{}, Args{"frob", "a.trc"}, Args{"--hide-sys", "list", "a.trc"},
                    Args{"list"}, Args{"list", "--bogus", "a.trc"},
                    Args{"list", "--sort", "cpu", "a.trc"}, Args{"list", "--format", "xml", "a"},
                    Args{"list", "a.trc", "--format"}, Args{"list", "--desc=1", "a.trc"},
                    Args{"list", "--row", "1", "a.trc"}, Args{"show", "a.trc"},
                    Args{"show", "--row", "-1", "a.trc"}, Args{"show", "--row", "3x", "a.trc"},
                    Args{"show", "--row", "0", "--format", "json", "a.trc"},
                    Args{"save", "-o", "out.sql", "a.trc"}, Args{"save", "--sql", "a.trc"},
                    Args{"save", "--sql", "--trc", "-o", "out", "a.trc"},
                    Args{"save", "--sql", "--after", "x", "-o", "out", "a.trc"}, Args{"follow"},
                    Args{"follow", "d1", "d2"}, Args{"follow", "--sort", "total_cpu", "d"},
                    Args{"list", "--types", "10 1", "a.trc"}, Args{"follow", "--types=2", "d"},
                    Args{"profile", "--format", "tsv", "a.trc"},
                    Args{"tree", "--format", "csv", "a.trc"}, Args{"profile", "--by", "host", "a"},
                    Args{"sqls", "--by", "module", "a.trc"}, Args{"list", "--exclude-idle", "a"},
                    Args{"profile", "--sort", "total_cpu", "a.trc"}, Args{"tree"}));

TEST(CliOptionsTest, ReadsEveryListOption) {
    const CCliOptions options =
        CCliOptions::Parse({"list", "--hide-sys", "--types", "0101", "b.trc", "--sort=total_cpu",
                            "--desc", "--format", "json", "a.trc"});
    EXPECT_EQ(options.command, CCliCommand::List);
    EXPECT_TRUE(options.hideSys);
    EXPECT_EQ(options.typeFlags, "0101");
    EXPECT_EQ(options.sortKey, "total_cpu");
    EXPECT_TRUE(options.descending);
    EXPECT_EQ(options.format, COutputFormat::Json);
    EXPECT_EQ(options.paths, (Args{"b.trc", "a.trc"}));
}

TEST(CliOptionsTest, ReadsSaveAndShowOptions) {
    const CCliOptions save =
        CCliOptions::Parse({"save", "--trc", "--after", "3", "-o", "out.trc", "a.trc"});
    EXPECT_EQ(save.saveContent, CSaveContent::Trc);
    EXPECT_EQ(save.after, 3);
    EXPECT_EQ(save.outPath, "out.trc");
    EXPECT_EQ(CCliOptions::Parse({"save", "--sql", "-o", "o", "a"}).after, -1);
    EXPECT_EQ(CCliOptions::Parse({"show", "--row=0", "a.trc"}).row, 0);
}

TEST(CliOptionsTest, ReadsTheOptionsOfWhereTheTimeWent) {
    const CCliOptions profile =
        CCliOptions::Parse({"profile", "--by=client", "--exclude-idle", "--hide-sys", "a.trc"});
    EXPECT_EQ(profile.command, CCliCommand::Profile);
    EXPECT_EQ(profile.cutBy, ESessionTag::Client);
    EXPECT_TRUE(profile.excludeIdle);
    EXPECT_TRUE(profile.hideSys);
    EXPECT_EQ(CCliOptions::Parse({"sqls", "--format", "csv", "a"}).format, COutputFormat::Csv);
    EXPECT_FALSE(CCliOptions::Parse({"tree", "--types", "01", "a"}).cutBy.has_value());
}

TEST(CliOptionsTest, DoubleDashEndsOptions) {
    const CCliOptions options = CCliOptions::Parse({"list", "--", "--odd-name.trc", "-"});
    EXPECT_EQ(options.paths, (Args{"--odd-name.trc", "-"}));
}

TEST(CliOptionsTest, HelpAndVersionWinAnywhere) {
    EXPECT_EQ(CCliOptions::Parse({"--help"}).command, CCliCommand::Help);
    EXPECT_EQ(CCliOptions::Parse({"list", "--bogus", "--help"}).command, CCliCommand::Help);
    EXPECT_EQ(CCliOptions::Parse({"--version"}).command, CCliCommand::Version);
}

} // namespace
