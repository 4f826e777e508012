// The compiled course block: its layout, header, and the per-plate values and lap totals that a
// slip in the data would change.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "motion/course_table.h"

namespace {

TEST(CourseTableLayout, SizeAndHeader)
{
    EXPECT_EQ(sizeof(CourseTable), 13008u);
    EXPECT_EQ(kPlatesOffset + kCoursePlateTotal * kCoursePlateSize, kCourseTableSize);
    EXPECT_EQ(CoursePlateCount(), 1072);
    EXPECT_EQ(CourseTable[2], 0);   // upper half of the 32-bit count
    EXPECT_EQ(CourseTable[3], 0);
    EXPECT_EQ(CourseTableRead16(kHeaderAuxOffset), 25);
    EXPECT_EQ(CourseTableRead16(kHeaderAuxOffset + 2), 0);
    const int start[4] = {-4000, 13000, 0, 0};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(CourseTableRead16(kStartPositionOffset + 2 * i), start[i]);
}

TEST(CourseTableLayout, PlacementsFollowTheFirstPresses)
{
    const int offsets[8] = {75, -75, 75, -75, 30, -30, 30, -30};
    for (int k = 0; k < kPlacementCount; ++k) {
        const int base = kPlacementsOffset + k * kPlacementSize;
        const int expected[8] = {-4000 - 200 * k, 13000, 0, 0, 0, k, offsets[k], 50};
        for (int v = 0; v < 8; ++v)
            EXPECT_EQ(CourseTableRead16(base + 2 * v), expected[v]) << "record " << k << " value " << v;
    }
}

TEST(CourseTableLayout, FieldsAreLittleEndianAndSignExtended)
{
    // Plate 35 turns by -11: 0xFFF5 stored low byte first.
    const int base = kPlatesOffset + 35 * kCoursePlateSize;
    EXPECT_EQ(CourseTable[base + 6], 0xF5);
    EXPECT_EQ(CourseTable[base + 7], 0xFF);
    EXPECT_EQ(CoursePlateAt(35).heading_delta, -11);
    // Plate 115 carries kerbs on both sides: 771 = 0x0303.
    EXPECT_EQ(CourseTable[kPlatesOffset + 115 * kCoursePlateSize + 10], 0x03);
    EXPECT_EQ(CourseTable[kPlatesOffset + 115 * kCoursePlateSize + 11], 0x03);
    const CoursePlate first = CoursePlateAt(0);
    EXPECT_EQ(first.length, 200);
    EXPECT_EQ(first.span_a, 300);
    EXPECT_EQ(first.span_b, 300);
    EXPECT_EQ(first.flags, 0);
}

TEST(CoursePlates, LengthsAndLapTotals)
{
    long lengthSum = 0, headingSum = 0, pitchSum = 0, leftTurns = 0, pitchUp = 0;
    long headingRun = 0, pitchRun = 0;
    long headingMin = 0, headingMax = 0, pitchMin = 0, pitchMax = 0;
    int headingZero = 0, pitchZero = 0, bothZero = 0, neitherZero = 0;
    for (int i = 0; i < kCoursePlateTotal; ++i) {
        const CoursePlate p = CoursePlateAt(i);
        const int expectedLength = i == 988 ? 104 : i == 1071 ? 187 : 200;
        EXPECT_EQ(p.length, expectedLength) << "plate " << i;
        lengthSum += p.length;
        headingSum += p.heading_delta;
        pitchSum += p.pitch_delta;
        leftTurns += std::max<int>(p.heading_delta, 0);
        pitchUp += std::max<int>(p.pitch_delta, 0);
        headingRun += p.heading_delta;
        pitchRun += p.pitch_delta;
        headingMin = std::min(headingMin, headingRun);
        headingMax = std::max(headingMax, headingRun);
        pitchMin = std::min(pitchMin, pitchRun);
        pitchMax = std::max(pitchMax, pitchRun);
        headingZero += p.heading_delta == 0;
        pitchZero += p.pitch_delta == 0;
        bothZero += p.heading_delta == 0 && p.pitch_delta == 0;
        neitherZero += p.heading_delta != 0 && p.pitch_delta != 0;
    }
    EXPECT_EQ(lengthSum, 214291);
    EXPECT_EQ(headingSum, 0);
    EXPECT_EQ(pitchSum, 0);
    EXPECT_EQ(leftTurns, 8057);
    EXPECT_EQ(pitchUp, 2571);
    EXPECT_EQ(headingMin, -3343);
    EXPECT_EQ(headingMax, 592);
    EXPECT_EQ(pitchMin, -338);
    EXPECT_EQ(pitchMax, 349);
    EXPECT_EQ(headingZero, 620);
    EXPECT_EQ(pitchZero, 899);
    EXPECT_EQ(bothZero, 487);
    EXPECT_EQ(neitherZero, 40);
}

TEST(CoursePlates, DeltaValueSets)
{
    std::set<int> headings, pitches;
    for (int i = 0; i < kCoursePlateTotal; ++i) {
        headings.insert(CoursePlateAt(i).heading_delta);
        pitches.insert(CoursePlateAt(i).pitch_delta);
    }
    const std::set<int> expectedHeadings = {-113, -91, -68, -56, -45, -34, -33, -22, -21,
                                            -11,  -10, 0,   1,   11,  22,  24,  26,  28,
                                            30,   34,  36,  40,  45,  56,  68,  91,  113};
    EXPECT_EQ(headings, expectedHeadings);
    EXPECT_EQ(pitches.size(), 46u);
    EXPECT_EQ(*pitches.begin(), -113);
    EXPECT_EQ(*pitches.rbegin(), 113);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(CoursePlateAt(i).heading_delta, 0) << i;
        EXPECT_EQ(CoursePlateAt(i).pitch_delta, 0) << i;
    }
}

TEST(CoursePlates, SpansAndKerbFlags)
{
    std::map<int, int> flagCounts, spanACounts, spanBCounts;
    for (int i = 0; i < kCoursePlateTotal; ++i) {
        const CoursePlate p = CoursePlateAt(i);
        ++flagCounts[p.flags];
        ++spanACounts[p.span_a];
        ++spanBCounts[p.span_b];
        const int low = p.flags & 0xFF, high = (p.flags >> 8) & 0xFF;
        EXPECT_EQ(low == 0, high == 0) << "plate " << i << " has kerbs on one byte only";
    }
    EXPECT_EQ(flagCounts, (std::map<int, int>{{0, 299}, {257, 106}, {259, 114}, {769, 65}, {771, 488}}));
    EXPECT_EQ(spanACounts, (std::map<int, int>{{150, 303}, {300, 769}}));
    EXPECT_EQ(spanBCounts, (std::map<int, int>{{150, 798}, {300, 274}}));
    // Run boundaries on both sides of a change.
    EXPECT_EQ(CoursePlateAt(114).flags, 0);
    EXPECT_EQ(CoursePlateAt(115).flags, 771);
    EXPECT_EQ(CoursePlateAt(829).span_a, 300);
    EXPECT_EQ(CoursePlateAt(830).span_a, 150);
    EXPECT_EQ(CoursePlateAt(1007).span_b, 150);
    EXPECT_EQ(CoursePlateAt(1008).span_b, 300);
}

}  // namespace
