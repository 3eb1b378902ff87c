#include "gridmover/core/grid_version.h"
#include "gridmover/core/scan_lists.h"

#include <gtest/gtest.h>

#include <set>

using namespace gridmover;

TEST(Catalogue, LoadsThirteenRowsOnceWithTheirGuidSets) {
    GridVersions v;
    LoadGridVersions(v);
    LoadGridVersions(v);
    ASSERT_EQ(v.Count(), 13);
    EXPECT_EQ(v.Item(1)->FullName, "MSDBGrid.DBGrid");
    EXPECT_EQ(v.Item(13)->FullName, "LumatabOle80.LTab");
    std::set<std::string> all;
    for (long r = 1; r <= 13; ++r) {
        const GridVersion& row = *v.Item(r);
        long expected = (r == 1 || r == 3 || r == 6) ? 6 : 13;
        EXPECT_EQ(row.Count(), expected) << "row " << r;
        EXPECT_EQ(row.Item("LIBID_MsDgrid")->ToString(), row.LIBID) << "row " << r;
        EXPECT_EQ(row.Item(1)->Name, "CLSID_MsDgrid");
        for (const auto& g : row) {
            if (g->Name != "LIBID_MsDgrid") {
                all.insert(g->ToString());
            }
        }
        all.insert(row.LIBID);
    }
    // Every identifier names one thing: no value is shared between roles or rows.
    EXPECT_EQ(all.size(), 3u * 6 + 10u * 13);
    EXPECT_EQ(v.Item(1)->Item("IID_DLtSplit")->ToString(), "00028C0C-0000-0000-0000-000000000046");
    // The global catalogue is filled the same way.
    LoadGridVersions();
    LoadGridVersions();
    EXPECT_EQ(Versions().Count(), 13);
}

TEST(Catalogue, KeysIgnoreCaseButOcxFileNameComparesExactly) {
    GridVersions v;
    LoadGridVersions(v);
    auto row1 = v.Item("00028c01-0000-0000-0000-000000000046");
    EXPECT_EQ(row1, v.Item(1));
    EXPECT_EQ(v.Item(1)->OCXFileName(), "DBGRID32.OCX");
    EXPECT_EQ(v.Item(2)->OCXFileName(), "LTB32.OCX");
    EXPECT_EQ(v.Item(4)->OCXFileName(), "LTB5.OCX");
    EXPECT_EQ(v.Item(12)->OCXFileName(), "LTB8.OCX");
    GridVersion lower = *v.Item(1);
    lower.LIBID = "00028c01-0000-0000-0000-000000000046";
    EXPECT_EQ(lower.OCXFileName(), "DBGRID.OCX");
    EXPECT_EQ(v.Item(12)->GridLibName(), "Lumatab80");
    EXPECT_EQ(v.Item(1)->GridLibName(), "MSDBGrid");
    lower.FullName = "NoDot";
    EXPECT_THROW(lower.GridLibName(), std::invalid_argument);
}

TEST(Catalogue, CollectionErrorsAsTheRuntimeRaisesThem) {
    GridVersions v;
    LoadGridVersions(v);
    auto number = [](auto&& f) {
        try {
            f();
        } catch (const CollectionError& e) {
            return e.number;
        }
        return 0;
    };
    EXPECT_EQ(number([&] { v.Item(0L); }), 9);
    EXPECT_EQ(number([&] { v.Item(14); }), 9);
    EXPECT_EQ(number([&] { v.Item("no such key"); }), 9);
    EXPECT_EQ(number([&] { v.Add("A.B", "B", "C", "#1.0#0", v.Item(3)->LIBID); }), 457);
    EXPECT_EQ(number([&] { v.Item(1)->Add("clsid_msdgrid", 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0); }),
              457);
    EXPECT_EQ(number([&] { v.Item(1)->Item("IID_DLtStyle"); }), 9); // set A has no style GUIDs
    v.Remove(1);
    EXPECT_EQ(v.Count(), 12);
    EXPECT_EQ(v.Item(1)->FullName, "Lumatab.LTab");
    v.Remove("D5350A10-01AF-4D3A-924F-02F3711DB463"); // row 2's LIBID, as key
    EXPECT_EQ(v.Item(1)->FullName, "LumatabStd.LTabS");
}

TEST(ScanLists, DisplayOrderAndTargets) {
    auto only = [](std::set<std::int16_t> rows) {
        return BuildVersionLists([rows](std::int16_t r) { return rows.count(r) != 0; });
    };
    auto none = only({});
    EXPECT_TRUE(none.from.empty());
    EXPECT_TRUE(none.to.empty());

    auto fives = only({4, 5});
    ASSERT_EQ(fives.from.size(), 2u);
    EXPECT_EQ(fives.from[0], (VersionListEntry{"Lumatab Pro 5.0 for VB4", 5}));
    EXPECT_EQ(fives.from[1], (VersionListEntry{"Lumatab Pro 5.0", 4}));
    EXPECT_TRUE(fives.to.empty());

    auto eight = only({12});
    ASSERT_EQ(eight.from.size(), 1u);
    ASSERT_EQ(eight.to.size(), 1u);
    EXPECT_EQ(eight.from[0], (VersionListEntry{"Lumatab Pro 8.0", 12}));
    EXPECT_EQ(eight.to[0], eight.from[0]);

    std::set<std::int16_t> allRows;
    for (std::int16_t r = 1; r <= 13; ++r) {
        allRows.insert(r);
    }
    auto all = only(allRows);
    std::vector<std::int16_t> order;
    for (const auto& e : all.from) {
        order.push_back(e.row);
    }
    EXPECT_EQ(order, (std::vector<std::int16_t>{1, 3, 2, 6, 5, 4, 9, 7, 8, 10, 11, 12, 13}));
    ASSERT_EQ(all.to.size(), 2u);
    EXPECT_EQ(all.to[1], (VersionListEntry{"Lumatab Pro 8.0 (OLEDB)", 13}));
    EXPECT_EQ(all.from[0].displayName, "MS-DBGrid 5.0");
}
