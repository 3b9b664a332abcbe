#pragma once
// The plot of a drive's history in its health window, as pure geometry: a series for the
// temperature and one for each caution count the samples hold, their value scales with round
// steps, the dates along the time axis, and the lines and texts that draw them into a pixel
// rectangle at a given DPI. The window only draws what this lays out.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "history/health_history.h"
#include "probe/drive_texts.h"

namespace kestrine {

// The temperature is read on the left scale, the counts on the right one.
enum class PlotAxis { Temperature, Count };

struct PlotValue {
    UtcSeconds time = 0;
    double value = 0;
};

struct PlotSeries {
    std::string name;  // "Temperature (C)", "reallocated sectors"
    PlotAxis axis = PlotAxis::Temperature;
    Color color = 0;
    std::vector<PlotValue> values;  // oldest first; a sample without the value has none
};

// A scale from `low` to `high` in steps of `step`, both ends on a step.
struct PlotScale {
    double low = 0;
    double high = 1;
    double step = 1;
    bool operator==(const PlotScale&) const = default;
};

// At most `maxSteps` steps of 1, 2 or 5 times a power of ten covering `low` to `high`; counts ask
// for whole steps. Equal ends get a span around them: 0 to 1 at 0, 1 either side else.
PlotScale niceScale(double low, double high, int maxSteps, bool wholeSteps);

struct DateTick {
    UtcSeconds time = 0;  // a midnight, UTC
    std::string text;     // "2026-12-01"
};

// Midnights from `first` to `last` inclusive, every 1, 2, 3 or 7 days or 2, 4, 8, ... weeks, the
// smallest step that gives at most `maxTicks` (at least one tick).
std::vector<DateTick> dateTicks(UtcSeconds first, UtcSeconds last, int maxTicks);

struct HistoryPlot {
    std::vector<PlotSeries> series;  // empty: nothing to plot
    UtcSeconds first = 0;            // the time axis, at least one day long
    UtcSeconds last = 0;
    PlotScale temperature;
    PlotScale counts;
};

inline constexpr int plotScaleSteps = 5;

// The series of `samples` (oldest first): the temperature where any sample has one, then each
// caution count that any sample holds, in the history's order.
HistoryPlot historyPlot(std::span<const HealthSample> samples);

struct PlotPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PlotPoint&) const = default;
};

struct PlotRectangle {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct PlotLine {
    Color color = 0;
    int width = 1;
    std::vector<PlotPoint> points;  // a polyline
};

enum class TextAnchor { Left, Centre, Right };

struct PlotText {
    PlotPoint at;  // the text's top, at its left end, middle or right end as anchored
    TextAnchor anchor = TextAnchor::Left;
    std::string text;
};

// What the window draws: grid and axes first, then the series over them, then the texts in a
// font `fontHeight` pixels high.
struct PlotDrawing {
    int fontHeight = 0;
    PlotRectangle area;  // where the values are plotted
    std::vector<PlotLine> lines;
    std::vector<PlotText> texts;
};

inline constexpr const char* noHistoryText = "No history recorded yet";

inline constexpr Color plotGridColor = 0xD8D8D8;
inline constexpr Color plotAxisColor = 0x404040;

// `plot` laid out in `bounds` at `dpi`: margins, font and pen widths grow with the DPI. Without
// series, the one text "No history recorded yet" in the middle.
PlotDrawing drawPlot(const HistoryPlot& plot, PlotRectangle bounds, int dpi);

}  // namespace kestrine
