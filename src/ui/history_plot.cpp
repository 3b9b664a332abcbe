#include "ui/history_plot.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "history/utc_time.h"
#include "probe/health_texts.h"

namespace kestrine {

namespace {

constexpr UtcSeconds secondsPerDay = 86'400;

constexpr Color temperatureColor = 0x2B39C0;  // red
// By CautionCount: blue, green, purple, brown, orange.
constexpr std::array<Color, cautionCountKinds> countColors = {0xB4771F, 0x2CA02C, 0xBD6794, 0x4B568C, 0x0E7FFF};

UtcSeconds floorDiv(UtcSeconds value, UtcSeconds divisor) {
    const UtcSeconds quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

// Pixels at 96 DPI scaled to `dpi`, halves rounded up.
int scaled(int pixels, int dpi) { return (pixels * dpi + 48) / 96; }

// A scale's tick as text: whole numbers while the step is, one decimal otherwise; huge counts in
// three significant digits.
std::string valueText(double value, double step) {
    char text[32];
    if (std::fabs(value) >= 1e15)
        std::snprintf(text, sizeof text, "%.3g", value);
    else
        std::snprintf(text, sizeof text, step >= 1 ? "%.0f" : "%.1f", value);
    return text;
}

std::vector<double> scaleTicks(const PlotScale& scale) {
    std::vector<double> ticks;
    const auto steps = static_cast<int>(std::lround((scale.high - scale.low) / scale.step));
    for (int i = 0; i <= steps; ++i) ticks.push_back(scale.low + scale.step * i);
    return ticks;
}

std::size_t widestText(const std::vector<double>& ticks, double step) {
    std::size_t widest = 0;
    for (const double tick : ticks) widest = std::max(widest, valueText(tick, step).size());
    return widest;
}

PlotScale valueScale(const std::vector<PlotSeries>& series, PlotAxis axis) {
    bool any = false;
    double low = 0, high = 0;
    for (const PlotSeries& one : series) {
        if (one.axis != axis) continue;
        for (const PlotValue& value : one.values) {
            low = any ? std::min(low, value.value) : value.value;
            high = any ? std::max(high, value.value) : value.value;
            any = true;
        }
    }
    // Counts are read from 0.
    return axis == PlotAxis::Count ? niceScale(0, high, plotScaleSteps, true)
                                   : niceScale(low, high, plotScaleSteps, false);
}

// Maps times and values into the plotted area.
struct PlotMapping {
    const HistoryPlot& plot;
    PlotRectangle area;

    int x(UtcSeconds time) const {
        const double share = static_cast<double>(time - plot.first) / static_cast<double>(plot.last - plot.first);
        return area.left + static_cast<int>(std::lround(share * (area.right - area.left)));
    }
    int y(double value, const PlotScale& scale) const {
        const double share = (value - scale.low) / (scale.high - scale.low);
        return area.bottom - static_cast<int>(std::lround(share * (area.bottom - area.top)));
    }
};

// Legend entries left to right, a new row where one would pass the right edge; returns the
// bottom of the last row.
int layOutLegend(const HistoryPlot& plot, const PlotRectangle& bounds, int dpi, int charWidth, PlotDrawing& drawing) {
    const int margin = scaled(6, dpi);
    const int swatch = scaled(16, dpi);
    const int rowHeight = drawing.fontHeight + scaled(4, dpi);
    int x = bounds.left + margin;
    int y = bounds.top + margin;
    for (const PlotSeries& series : plot.series) {
        const int width = swatch + scaled(4, dpi) + static_cast<int>(series.name.size()) * charWidth;
        if (x > bounds.left + margin && x + width > bounds.right - margin) {
            x = bounds.left + margin;
            y += rowHeight;
        }
        const int middle = y + drawing.fontHeight / 2;
        drawing.lines.push_back({series.color, scaled(2, dpi), {{x, middle}, {x + swatch, middle}}});
        drawing.texts.push_back({{x + swatch + scaled(4, dpi), y}, TextAnchor::Left, series.name});
        x += width + scaled(12, dpi);
    }
    return y + rowHeight;
}

bool hasAxis(const HistoryPlot& plot, PlotAxis axis) {
    return std::any_of(plot.series.begin(), plot.series.end(), [axis](const PlotSeries& s) { return s.axis == axis; });
}

}  // namespace

PlotScale niceScale(double low, double high, int maxSteps, bool wholeSteps) {
    if (low == high) {
        if (low == 0) return {0, 1, 1};
        low -= 1;
        high += 1;
    }
    maxSteps = std::max(maxSteps, 1);
    // The largest power of ten at or below the smallest step, counted out rather than by the
    // maths library's pow, which would add 2.5 KB to the window for this one line. A fraction
    // is one over a whole power of ten, so it is as exact as pow's.
    const double smallestStep = (high - low) / maxSteps;
    double magnitude = 1;
    while (magnitude * 10 <= smallestStep) magnitude *= 10;
    if (magnitude > smallestStep) {
        double inverse = 10;
        while (smallestStep * inverse < 1) inverse *= 10;
        magnitude = 1 / inverse;
    }
    for (double power = magnitude;; power *= 10) {
        for (const double multiple : {1.0, 2.0, 5.0}) {
            const double step = multiple * power;
            if (wholeSteps && step < 1) continue;
            const double from = std::floor(low / step + 1e-9) * step;
            const double to = std::ceil(high / step - 1e-9) * step;
            if ((to - from) / step <= maxSteps + 1e-9) return {from, to, step};
        }
    }
}

std::vector<DateTick> dateTicks(UtcSeconds first, UtcSeconds last, int maxTicks) {
    std::vector<DateTick> ticks;
    const UtcSeconds midnight = floorDiv(first + secondsPerDay - 1, secondsPerDay) * secondsPerDay;
    if (midnight > last) return ticks;
    const UtcSeconds days = (last - midnight) / secondsPerDay;
    UtcSeconds step = 1;
    for (const UtcSeconds candidate : {1, 2, 3, 7}) {
        step = candidate;
        if (days / step + 1 <= maxTicks) break;
    }
    while (days / step + 1 > std::max(maxTicks, 1)) step *= 2;
    for (UtcSeconds day = 0; day <= days; day += step) {
        const UtcSeconds time = midnight + day * secondsPerDay;
        ticks.push_back({time, utcTimeText(time).substr(0, 10)});
    }
    return ticks;
}

HistoryPlot historyPlot(std::span<const HealthSample> samples) {
    HistoryPlot plot;
    if (samples.empty()) return plot;
    plot.first = samples.front().time;
    plot.last = std::max(samples.back().time, plot.first + secondsPerDay);

    PlotSeries temperature{"Temperature (C)", PlotAxis::Temperature, temperatureColor, {}};
    for (const HealthSample& sample : samples)
        if (sample.temperature) temperature.values.push_back({sample.time, static_cast<double>(*sample.temperature)});
    if (!temperature.values.empty()) plot.series.push_back(std::move(temperature));

    for (std::size_t kind = 0; kind < cautionCountKinds; ++kind) {
        PlotSeries count{
            cautionNoun(cautionCountName(static_cast<CautionCount>(kind))), PlotAxis::Count, countColors[kind], {}};
        for (const HealthSample& sample : samples)
            if (sample.counts[kind]) count.values.push_back({sample.time, static_cast<double>(*sample.counts[kind])});
        if (!count.values.empty()) plot.series.push_back(std::move(count));
    }
    plot.temperature = valueScale(plot.series, PlotAxis::Temperature);
    plot.counts = valueScale(plot.series, PlotAxis::Count);
    return plot;
}

PlotDrawing drawPlot(const HistoryPlot& plot, PlotRectangle bounds, int dpi) {
    PlotDrawing drawing;
    drawing.fontHeight = scaled(11, dpi);
    drawing.area = bounds;
    if (plot.series.empty()) {
        drawing.texts.push_back(
            {{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom - drawing.fontHeight) / 2},
             TextAnchor::Centre,
             noHistoryText});
        return drawing;
    }
    // An average character of the window's font, for room to leave: about 0.55 of its height.
    const int charWidth = drawing.fontHeight * 11 / 20;
    const int margin = scaled(6, dpi);
    const int gap = scaled(4, dpi);
    const bool temperatures = hasAxis(plot, PlotAxis::Temperature);
    const bool counts = hasAxis(plot, PlotAxis::Count);
    const std::vector<double> temperatureTicks = temperatures ? scaleTicks(plot.temperature) : std::vector<double>{};
    const std::vector<double> countTicks = counts ? scaleTicks(plot.counts) : std::vector<double>{};
    // Room for the scales' labels, and for half a date under each end.
    const int halfDate = 5 * charWidth;
    const int leftRoom =
        std::max(halfDate, static_cast<int>(widestText(temperatureTicks, plot.temperature.step)) * charWidth + gap);
    const int rightRoom =
        std::max(halfDate, static_cast<int>(widestText(countTicks, plot.counts.step)) * charWidth + gap);

    const int legendBottom = layOutLegend(plot, bounds, dpi, charWidth, drawing);
    PlotRectangle& area = drawing.area;
    area.left = bounds.left + margin + leftRoom;
    area.right = std::max(area.left + 1, bounds.right - margin - rightRoom);
    area.top = legendBottom + drawing.fontHeight / 2;
    area.bottom = std::max(area.top + 1, bounds.bottom - margin - drawing.fontHeight - gap);
    const PlotMapping map{plot, area};
    const int thin = scaled(1, dpi);

    // The grid follows the temperature scale where there is one, else the counts'.
    std::vector<PlotLine> grid;
    const PlotScale& gridScale = temperatures ? plot.temperature : plot.counts;
    for (const double tick : temperatures ? temperatureTicks : countTicks) {
        const int y = map.y(tick, gridScale);
        grid.push_back({plotGridColor, thin, {{area.left, y}, {area.right, y}}});
    }
    for (const double tick : temperatureTicks)
        drawing.texts.push_back({{area.left - gap, map.y(tick, plot.temperature) - drawing.fontHeight / 2},
                                 TextAnchor::Right,
                                 valueText(tick, plot.temperature.step)});
    for (const double tick : countTicks)
        drawing.texts.push_back({{area.right + gap, map.y(tick, plot.counts) - drawing.fontHeight / 2},
                                 TextAnchor::Left,
                                 valueText(tick, plot.counts.step)});
    const int dateRoom = 11 * charWidth;
    for (const DateTick& tick : dateTicks(plot.first, plot.last, std::max(1, (area.right - area.left) / dateRoom))) {
        const int x = map.x(tick.time);
        grid.push_back({plotGridColor, thin, {{x, area.top}, {x, area.bottom}}});
        drawing.texts.push_back({{x, area.bottom + gap}, TextAnchor::Centre, tick.text});
    }
    drawing.lines.insert(drawing.lines.begin(), grid.begin(), grid.end());
    drawing.lines.push_back(
        {plotAxisColor,
         thin,
         {{area.left, area.top}, {area.left, area.bottom}, {area.right, area.bottom}, {area.right, area.top}}});

    const int width = scaled(2, dpi);
    for (const PlotSeries& series : plot.series) {
        const PlotScale& scale = series.axis == PlotAxis::Temperature ? plot.temperature : plot.counts;
        PlotLine line{series.color, width, {}};
        for (const PlotValue& value : series.values)
            line.points.push_back({map.x(value.time), map.y(value.value, scale)});
        // One value is a short dash, so that it shows.
        if (line.points.size() == 1) {
            const PlotPoint only = line.points.front();
            line.points = {{only.x - scaled(3, dpi), only.y}, {only.x + scaled(3, dpi), only.y}};
        }
        drawing.lines.push_back(std::move(line));
    }
    return drawing;
}

}  // namespace kestrine
