#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "data/data_set.h"

namespace velmora {
namespace {

TEST(DataSet, MissingCodeIsExactlyNineMillionNineHundredNinetyNineThousandNineHundredNinetyNine) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(MISSING_VALUE), 0x4B18967Fu);
    EXPECT_EQ(MAX_VARIABLES, 1000);
    EXPECT_TRUE(isMissing(9999999.0f));
    // The neighbouring singles are 9999998 and 10000000 (one unit apart here).
    EXPECT_FALSE(isMissing(9999998.0f));
    EXPECT_FALSE(isMissing(10000000.0f));
    EXPECT_FALSE(isMissing(-9999999.0f));
    EXPECT_FALSE(isMissing(0.0f));
}

TEST(DataMatrix, StartsEmptyWithoutAnyCell) {
    const DataSet data;
    EXPECT_EQ(data.g_lngNumCases, 0);
    EXPECT_EQ(data.g_lngNumVariables, 0);
    EXPECT_FALSE(data.g_sngData.isAllocated());
    EXPECT_EQ(data.g_sngData.caseCapacity(), -1);
    EXPECT_FALSE(data.g_sngData.contains(0, 0));
    EXPECT_FALSE(data.g_sngData.contains(1, 1));
}

TEST(DataMatrix, AllocatedShapeIsCasesZeroToNByVariablesZeroToThousand) {
    const DataMatrix m(3);
    EXPECT_TRUE(m.isAllocated());
    EXPECT_EQ(m.caseCapacity(), 3);
    EXPECT_TRUE(m.contains(0, 0));
    EXPECT_TRUE(m.contains(3, 1000));
    EXPECT_FALSE(m.contains(4, 1));
    EXPECT_FALSE(m.contains(1, 1001));
    EXPECT_FALSE(m.contains(-1, 1));
    EXPECT_FALSE(m.contains(1, -1));

    const DataMatrix emptyFile(0);  // only case index 0
    EXPECT_TRUE(emptyFile.isAllocated());
    EXPECT_EQ(emptyFile.caseCapacity(), 0);
    EXPECT_FALSE(emptyFile.contains(1, 1));
}

TEST(DataMatrix, NeverStoredColumnsReadZeroAndCostNothing) {
    DataMatrix m(4);
    EXPECT_EQ(m.storedColumns(), 0u);
    EXPECT_EQ(m.at(4, 1000), 0.0f);
    EXPECT_EQ(m.columnData(7), nullptr);

    m.set(2, 7, 1.5f);
    m.set(4, 7, MISSING_VALUE);
    EXPECT_EQ(m.storedColumns(), 1u);
    EXPECT_EQ(m(2, 7), 1.5f);
    EXPECT_TRUE(isMissing(m(4, 7)));
    EXPECT_EQ(m(1, 7), 0.0f);  // cells of a stored column that were not written
    EXPECT_EQ(m(2, 6), 0.0f);  // columns below a stored one
    EXPECT_EQ(m(2, 8), 0.0f);  // and above it

    // One variable's cells are adjacent, case index fastest.
    const float* col = m.columnData(7);
    ASSERT_NE(col, nullptr);
    EXPECT_EQ(col[0], 0.0f);
    EXPECT_EQ(col[2], 1.5f);
    EXPECT_TRUE(isMissing(col[4]));
}

TEST(DataMatrix, ColumnPointersSurviveLaterColumns) {
    DataMatrix m(2);
    float* first = m.column(1);
    first[1] = 3.0f;
    for (std::int32_t j = 2; j <= MAX_VARIABLES; ++j) m.column(j)[2] = static_cast<float>(j);
    first[2] = 4.0f;  // still the cells of variable 1
    EXPECT_EQ(m(1, 1), 3.0f);
    EXPECT_EQ(m(2, 1), 4.0f);
    EXPECT_EQ(m(2, 1000), 1000.0f);
    EXPECT_EQ(m.storedColumns(), 1000u);
}

}  // namespace
}  // namespace velmora
