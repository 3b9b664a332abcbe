#include "history/history_bounds.h"

#include <algorithm>
#include <numeric>

#include "history/caution_memory.h"
#include "history/history_file.h"

namespace kestrine {

namespace {

UtcSeconds utcDay(UtcSeconds time) { return time / secondsPerDay - (time % secondsPerDay < 0 ? 1 : 0); }

std::string keyText(const std::string& text) { return text.substr(0, std::min(text.size(), maxKeyTextBytes)); }

// Samples older than a week: the last of each UTC day, and none beyond 400 days.
void thinSamples(std::vector<HealthSample>& samples, UtcSeconds now) {
    const UtcSeconds everyFrom = now - everySampleFor;
    const UtcSeconds dailyFrom = now - dailySamplesFor;
    // In place: a kept sample moves only over samples already looked at.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const UtcSeconds time = samples[i].time;
        if (time < dailyFrom) continue;
        const bool lastOfItsDay = time >= everyFrom || i + 1 == samples.size() || samples[i + 1].time >= everyFrom ||
                                  utcDay(samples[i + 1].time) != utcDay(time);
        if (!lastOfItsDay) continue;
        if (kept != i) samples[kept] = std::move(samples[i]);
        ++kept;
    }
    samples.erase(samples.begin() + static_cast<std::ptrdiff_t>(kept), samples.end());
}

void keepLatestSeenDrives(std::vector<DriveHistory>& drives) {
    if (drives.size() <= maxHistoryDrives) return;
    std::vector<std::size_t> order(drives.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&drives](std::size_t a, std::size_t b) { return drives[a].lastSeen > drives[b].lastSeen; });
    order.resize(maxHistoryDrives);
    std::sort(order.begin(), order.end());  // the kept drives in the order they had
    std::vector<DriveHistory> kept;
    for (const std::size_t index : order) kept.push_back(std::move(drives[index]));
    drives = std::move(kept);
}

// Drops the oldest samples across all drives until the file fits.
void capFileSize(History& history) {
    std::size_t size = serializedHistorySize(history);
    if (size <= maxHistoryBytes) return;
    struct Sample {
        UtcSeconds time;
        std::size_t drive;
        std::size_t bytes;
    };
    std::vector<Sample> samples;
    for (std::size_t drive = 0; drive < history.drives.size(); ++drive)
        for (const HealthSample& sample : history.drives[drive].samples)
            samples.push_back({sample.time, drive, serializedSampleSize(sample)});
    // Stable, so that each drive's samples stay in their order and the oldest of each go first.
    std::stable_sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.time < b.time; });
    std::vector<std::size_t> dropped(history.drives.size(), 0);
    for (std::size_t i = 0; i < samples.size() && size > maxHistoryBytes; ++i) {
        size -= samples[i].bytes;
        ++dropped[samples[i].drive];
    }
    for (std::size_t drive = 0; drive < history.drives.size(); ++drive) {
        std::vector<HealthSample>& kept = history.drives[drive].samples;
        kept.erase(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(dropped[drive]));
    }
}

}  // namespace

DriveHistory& driveEntry(History& history, const DriveKey& key) {
    const DriveKey kept{keyText(key.model), keyText(key.serialNumber)};
    if (DriveHistory* drive = findDrive(history, kept)) return *drive;
    history.drives.push_back({kept, 0, {}, {}});
    return history.drives.back();
}

void recordSample(History& history, const DriveKey& key, const HealthSample& sample) {
    recordSample(driveEntry(history, key), sample);
}

void recordSample(DriveHistory& drive, const HealthSample& sample) {
    const auto later = std::upper_bound(drive.samples.begin(), drive.samples.end(), sample.time,
                                        [](UtcSeconds time, const HealthSample& kept) { return time < kept.time; });
    drive.samples.insert(later, sample);
    drive.lastSeen = std::max(drive.lastSeen, sample.time);
    updateLowest(drive.acceptance, sample);
}

void thinHistory(History& history, UtcSeconds now) {
    for (DriveHistory& drive : history.drives) thinSamples(drive.samples, now);
    std::erase_if(history.drives, [now](const DriveHistory& drive) { return drive.lastSeen < now - dailySamplesFor; });
    keepLatestSeenDrives(history.drives);
    capFileSize(history);
}

}  // namespace kestrine
