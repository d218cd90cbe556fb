#include "CCommandTypeCatalog.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const CCommandTypeCatalog& Catalog() {
    static const CCommandTypeCatalog catalog;
    return catalog;
}

struct CPositionCase {
    int position;
    const char* code;
    const char* name;
};

class CatalogOrder : public testing::TestWithParam<CPositionCase> {};

TEST_P(CatalogOrder, EntryAtPositionHasCodeAndName) {
    const CPositionCase& c = GetParam();
    const auto& entry = Catalog().Entries().at(static_cast<std::size_t>(c.position));
    EXPECT_EQ(entry.first, c.code);
    EXPECT_EQ(entry.second, c.name);
    EXPECT_EQ(Catalog().GetCommandTypePosition(std::stoi(c.code)), c.position);
    EXPECT_EQ(Catalog().GetCommandTypeName(std::stoi(c.code)), c.name);
}

INSTANTIATE_TEST_SUITE_P(
    TextOrderOfCodes, CatalogOrder,
    testing::Values(CPositionCase{0, "0", "UNKNOWN"}, CPositionCase{1, "1", "CREATE TABLE"},
                    CPositionCase{2, "10", "DROP INDEX"}, CPositionCase{3, "100", "LOGON"},
                    CPositionCase{12, "109", "SYSTEM REVOKE"},
                    CPositionCase{13, "11", "ALTER INDEX"},
                    CPositionCase{60, "183", "ALTER OPERATOR"},
                    CPositionCase{61, "19", "CREATE SYNONYM"}, CPositionCase{62, "2", "INSERT"},
                    CPositionCase{73, "3", "SELECT"}, CPositionCase{105, "6", "UPDATE"},
                    CPositionCase{115, "7", "DELETE"},
                    CPositionCase{143, "99", "DROP PACKAGE BODY"}),
    [](const testing::TestParamInfo<CPositionCase>& param) {
        return "position" + std::to_string(param.param.position);
    });

TEST(Catalog, HoldsExactly144EntriesAndUnknownCodesAddNone) {
    EXPECT_EQ(Catalog().GetCount(), 144);
    for (int code : {58, 69, 87, 90, 124, 156, 166, 184, 200, -1}) {
        EXPECT_EQ(Catalog().GetCommandTypeName(code), "") << code;
        EXPECT_EQ(Catalog().GetCommandTypePosition(code), 0) << code;
    }
    EXPECT_EQ(Catalog().GetCount(), 144);
    EXPECT_EQ(Catalog().GetCommandTypeName(47), "PL/SQL EXECUTE");
    EXPECT_EQ(Catalog().GetCommandTypeName(27), "NO-OP");
}

TEST(Catalog, FlagStringDecidesByPosition) {
    std::string flags(144, '1');
    flags[73] = '0';
    EXPECT_FALSE(Catalog().IsCommandTypeShown(flags, 3));
    EXPECT_TRUE(Catalog().IsCommandTypeShown(flags, 2));
    EXPECT_TRUE(Catalog().IsCommandTypeShown(flags, 47));

    EXPECT_TRUE(Catalog().IsCommandTypeShown("", 3));
    EXPECT_TRUE(Catalog().IsCommandTypeShown("1", 3)) << "past the end of the flags: shown";
    EXPECT_FALSE(Catalog().IsCommandTypeShown("0", 0));
    EXPECT_FALSE(Catalog().IsCommandTypeShown("0", 166)) << "unknown codes follow UNKNOWN";
    EXPECT_TRUE(Catalog().IsCommandTypeShown("x", 0)) << "a character other than 0 or 1 shows";
}

} // namespace
