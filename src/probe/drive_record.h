#pragma once
// The program's memory of one physical drive, and the table of sixteen of them.
#include <array>
#include <cstdint>
#include <string>

namespace kestrine {

struct DriveHealth;

struct DriveRecord {
    bool present = false;        // a device answered at this number (even if opening it failed)
    bool probed = false;         // some probe reached a conclusive result
    bool identityValid = false;  // an identity query succeeded and no open failed since
    std::int32_t driveNumber = 0;
    std::uint32_t identityError = 0;  // 0, or the error of the last failed identity query
    bool smartCapable = false;
    bool thresholdExceeded = false;
    std::uint32_t versionError = 0;
    std::uint32_t statusError = 0;
    bool predictQueried = false;
    bool predictOk = false;
    // The identity block: always replaced together, only by a successful identity query.
    bool removable = false;
    std::string vendor;
    std::string product;
    std::string serial;
    std::uint32_t busType = 0;
    std::string busTypeText;
    std::string displayName;
};

constexpr int driveTableSize = 16;
// STORAGE_BUS_TYPE codes the SMART rules tell apart.
inline constexpr std::uint32_t busScsi = 1;
inline constexpr std::uint32_t busUsb = 7;
inline constexpr std::uint32_t busRaid = 8;
inline constexpr std::uint32_t busSas = 10;
inline constexpr std::uint32_t busNvme = 17;
using DriveTable = std::array<DriveRecord, driveTableSize>;

enum class SpfState { NoData, Ok, FailurePredicted };
enum class SmartState { NoData, QueryFailed, Ok, FailurePredicted };

bool isListed(const DriveRecord& r);
bool hasDetails(const DriveRecord& r);
bool smartUsable(const DriveRecord& r);
// An NVMe drive that refuses SMART commands: its SMART state comes from its health log.
bool smartFromHealthLog(const DriveRecord& r);
// USB, SCSI, SAS or RAID: a bus where a bridge or driver may translate SCSI to ATA.
bool translatingBus(std::uint32_t bus);
// An NVMe drive in a USB enclosure, as its descriptor names it: bus USB and "NVMe" in the
// vendor or product text (any case). Its bridge needs vendor commands: it is not read.
bool nvmeBehindUsbBridge(const DriveRecord& r);
// A drive on a translating bus whose SMART requests failed for another reason than rights
// (the version request, or the status request of a driver that took it), and no NVMe behind
// USB: its SMART state comes from SMART RETURN STATUS sent through SCSI pass-through.
bool smartThroughBridge(const DriveRecord& r);
SpfState spfState(const DriveRecord& r);
// From the record's SMART RETURN STATUS, or for a drive judged by its health log from the
// drive's health entry: Ok with no critical-warning bit, FailurePredicted with any, NoData
// while the log could not be read. Behind a bridge, from the registers of the SMART RETURN
// STATUS the bridge passed on: Ok, FailurePredicted, NoData while they gave no verdict.
SmartState smartState(const DriveRecord& r, const DriveHealth& health);
// The worse of the two verdicts. In the order of the status strip's pictures: question mark,
// check mark, warning triangle; the fourth, caution, comes from a drive's verdict (driveImage).
enum class IndicatorLevel { NoData = 0, Ok = 1, FailurePredicted = 2, Caution = 3 };
IndicatorLevel indicatorLevel(const DriveRecord& r, const DriveHealth& health);

}  // namespace kestrine
