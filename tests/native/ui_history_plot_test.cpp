// The history plot's geometry: round scales, the dates along the time axis, the series a
// drive's samples give, and their lines mapped into pixels at two DPIs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/history_plot.h"

namespace kestrine {
namespace {

constexpr UtcSeconds day = 86'400;
constexpr UtcSeconds nov28 = 1'795'824'000;  // 2026-11-28T00:00:00Z

TEST(HistoryPlot, ScalesTakeRoundStepsAndEndOnThem) {
    struct Row {
        const char* name;
        double low, high;
        bool whole;
        PlotScale expected;
    };
    const std::vector<Row> rows = {
        {"temperatures", 31, 47, false, {30, 50, 5}},
        {"counts from 0 to 70", 0, 70, true, {0, 80, 20}},
        {"a count that stays 0", 0, 0, true, {0, 1, 1}},
        {"a few counts take whole steps", 0, 3, true, {0, 3, 1}},
        {"a flat temperature gets 1 either side", 38, 38, false, {37, 39, 0.5}},
        {"a huge count", 0, 18e18, true, {0, 2e19, 5e18}},
        {"below zero", -7, 12, false, {-10, 15, 5}},
        {"tenths of a degree", 40.02, 40.07, false, {40.02, 40.07, 0.01}},
    };
    for (const Row& row : rows) EXPECT_EQ(niceScale(row.low, row.high, 5, row.whole), row.expected) << row.name;
}

std::vector<std::string> tickTexts(const std::vector<DateTick>& ticks) {
    std::vector<std::string> texts;
    for (const DateTick& tick : ticks) texts.push_back(tick.text);
    return texts;
}

TEST(HistoryPlot, DateTicksFallOnMidnightsAcrossAMonthBoundary) {
    const UtcSeconds from = nov28 + 3600 * 10, to = nov28 + 5 * day + 3600;
    EXPECT_EQ(tickTexts(dateTicks(from, to, 10)),
              (std::vector<std::string>{"2026-11-29", "2026-11-30", "2026-12-01", "2026-12-02", "2026-12-03"}));
    EXPECT_EQ(dateTicks(from, to, 10)[2].time, nov28 + 3 * day);
    EXPECT_EQ(tickTexts(dateTicks(from, to, 3)), (std::vector<std::string>{"2026-11-29", "2026-12-01", "2026-12-03"}));
    EXPECT_EQ(tickTexts(dateTicks(nov28, nov28 + 400 * day, 6)).size(), 4u) << "every 16 weeks";
    EXPECT_TRUE(dateTicks(nov28 + 10, nov28 + 20, 5).empty()) << "no midnight in between";
}

HealthSample sampleAt(UtcSeconds time, std::optional<std::int16_t> temperature,
                      std::optional<std::uint64_t> reallocated, std::optional<std::uint64_t> pending = std::nullopt) {
    HealthSample sample;
    sample.time = time;
    sample.temperature = temperature;
    sample.counts[0] = reallocated;
    sample.counts[1] = pending;
    return sample;
}

const PlotLine* lineOf(const PlotDrawing& drawing, Color color, std::size_t skip = 0) {
    for (const PlotLine& line : drawing.lines)
        if (line.color == color && skip-- == 0) return &line;
    return nullptr;
}

TEST(HistoryPlot, SamplesGiveTheTemperatureAndEachCountTheyHold) {
    const std::vector<HealthSample> samples = {sampleAt(nov28, 35, 0, 1), sampleAt(nov28 + day, std::nullopt, 70, 2),
                                               sampleAt(nov28 + 2 * day, 41, 70)};
    const HistoryPlot plot = historyPlot(samples);
    ASSERT_EQ(plot.series.size(), 3u);
    EXPECT_EQ(plot.series[0].name, "Temperature (C)");
    EXPECT_EQ(plot.series[0].values.size(), 2u) << "the sample without a temperature is left out";
    EXPECT_EQ(plot.series[1].name, "reallocated sectors");
    EXPECT_EQ(plot.series[1].values[1].value, 70);
    EXPECT_EQ(plot.series[2].name, "pending sectors");
    EXPECT_EQ(plot.series[2].values.size(), 2u);
    EXPECT_NE(plot.series[1].color, plot.series[2].color);
    EXPECT_EQ(plot.temperature, (PlotScale{34, 42, 2}));
    EXPECT_EQ(plot.counts, (PlotScale{0, 80, 20}));
    EXPECT_EQ(plot.first, nov28);
    EXPECT_EQ(plot.last, nov28 + 2 * day);

    EXPECT_TRUE(historyPlot({}).series.empty());
    const std::vector<HealthSample> one = {sampleAt(nov28 + 3600, 30, std::nullopt)};
    const HistoryPlot single = historyPlot(one);
    EXPECT_EQ(single.last, nov28 + 3600 + day) << "the time axis is at least a day long";
}

// The count of 0 then 70 maps onto the bottom and onto 70/80 of the plotted height; at 144 DPI
// the font, the lines and the margins are half as large again.
TEST(HistoryPlot, LinesMapIntoThePlottedAreaAtTheWindowsDpi) {
    const std::vector<HealthSample> samples = {sampleAt(nov28, std::nullopt, 0),
                                               sampleAt(nov28 + 2 * day, std::nullopt, 70)};
    const HistoryPlot plot = historyPlot(samples);
    const Color reallocated = plot.series[0].color;
    for (const int dpi : {96, 144}) {
        const int scale = dpi / 48;  // 2 at 96, 3 at 144
        const PlotRectangle bounds{0, 0, 300 * scale, 150 * scale};
        const PlotDrawing drawing = drawPlot(plot, bounds, dpi);
        SCOPED_TRACE(dpi);
        EXPECT_EQ(drawing.fontHeight, dpi == 96 ? 11 : 17);
        const PlotRectangle& area = drawing.area;
        EXPECT_GT(area.left, bounds.left);
        EXPECT_LT(area.right, bounds.right);
        EXPECT_GT(area.top, drawing.fontHeight) << "below the legend";
        EXPECT_LT(area.bottom, bounds.bottom - drawing.fontHeight) << "above the dates";
        const PlotLine* series = lineOf(drawing, reallocated, 1);  // after the legend's swatch
        ASSERT_NE(series, nullptr);
        EXPECT_EQ(series->width, scale);
        ASSERT_EQ(series->points.size(), 2u);
        EXPECT_EQ(series->points[0], (PlotPoint{area.left, area.bottom}));
        const int height = area.bottom - area.top;
        EXPECT_EQ(series->points[1].x, area.right);
        EXPECT_NEAR(series->points[1].y, area.bottom - height * 70 / 80, 1);
        const auto dates = std::count_if(drawing.texts.begin(), drawing.texts.end(),
                                         [](const PlotText& t) { return t.text.starts_with("2026-"); });
        EXPECT_EQ(dates, 3) << "2026-11-28 to 2026-11-30";
        const auto labels = std::count_if(drawing.texts.begin(), drawing.texts.end(), [](const PlotText& t) {
            return t.anchor == TextAnchor::Left && t.text == "80";
        });
        EXPECT_EQ(labels, 1) << "the count scale's top label on the right";
    }
    EXPECT_EQ(drawPlot(plot, {0, 0, 600, 300}, 96).lines.size(), drawPlot(plot, {0, 0, 900, 450}, 144).lines.size());
}

TEST(HistoryPlot, OneSampleIsADashAndNoSamplesAPlainText) {
    const std::vector<HealthSample> one = {sampleAt(nov28 + 3600, 30, std::nullopt)};
    const PlotDrawing drawing = drawPlot(historyPlot(one), {0, 0, 400, 200}, 96);
    const PlotLine* dash = lineOf(drawing, historyPlot(one).series[0].color, 1);
    ASSERT_NE(dash, nullptr);
    ASSERT_EQ(dash->points.size(), 2u);
    EXPECT_EQ(dash->points[1].x - dash->points[0].x, 6);
    EXPECT_EQ(dash->points[0].y, dash->points[1].y);

    const PlotDrawing empty = drawPlot(historyPlot({}), {0, 0, 400, 200}, 96);
    EXPECT_TRUE(empty.lines.empty());
    ASSERT_EQ(empty.texts.size(), 1u);
    EXPECT_EQ(empty.texts[0].text, "No history recorded yet");
    EXPECT_EQ(empty.texts[0].anchor, TextAnchor::Centre);
    EXPECT_EQ(empty.texts[0].at, (PlotPoint{200, 94}));
}

}  // namespace
}  // namespace kestrine
