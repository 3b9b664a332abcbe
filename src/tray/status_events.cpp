#include "tray/status_events.h"

#include "probe/drive_texts.h"

namespace kestrine {

namespace {

LogEvent problemEvent(const WatchedItem& item) {
    if (item.kind == WatchedItem::Kind::Drive) return {EventType::Error, driveFailingEvent, item.figures};
    return {EventType::Warning, volumeLowEvent, item.figures};
}

LogEvent recoveryEvent(const WatchedItem& item) {
    return {EventType::Information, item.kind == WatchedItem::Kind::Drive ? driveOkEvent : volumeOkEvent, item.figures};
}

}  // namespace

std::vector<LogEvent> statusEvents(const ProblemNews& news) {
    std::vector<LogEvent> events;
    for (const WatchedItem& item : news.appeared) events.push_back(problemEvent(item));
    for (const WatchedItem& item : news.recovered) events.push_back(recoveryEvent(item));
    return events;
}

LogEvent settingsNotSaved(const std::string& settingsPath) {
    return {EventType::Error, settingsNotSavedEvent, {settingsPath}};
}

LogEvent settingsNotRead(const std::string& settingsPath, std::uint32_t error, const SystemMessages& messages) {
    return {EventType::Error, settingsNotReadEvent, {settingsPath, systemErrorText(error, messages)}};
}

LogEvent settingsFolderRefused(const std::string& folder) {
    return {EventType::Error, settingsFolderRefusedEvent, {folder}};
}

LogEvent historyNotRecorded(const std::string& historyPath, const std::string& why) {
    return {EventType::Warning, historyNotRecordedEvent, {historyPath, why}};
}

LogEvent historySetAside(const std::string& historyPath, const std::string& what, const std::string& asidePath) {
    return {EventType::Warning, historySetAsideEvent, {historyPath, what, asidePath}};
}

}  // namespace kestrine
