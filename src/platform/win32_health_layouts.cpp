// The health requests are built and read by hand (probe/health_layouts.h); here the Windows
// build checks those numbers against the SDK's structures. The SDK here has no
// STORAGE_TEMPERATURE_DATA_DESCRIPTOR, so the temperature reply's offsets are not checked.
#include <windows.h>
#include <nvme.h>
#include <winioctl.h>

#include <cstddef>

#include "probe/health_layouts.h"

namespace kestrine::checked {
namespace read = device::smartRead;
namespace sector = device::smartSector;
namespace nvme = device::nvmeQuery;
namespace log = device::nvmeHealthLog;

static_assert(SMART_RCV_DRIVE_DATA == device::smartRcvDriveData);
static_assert(READ_ATTRIBUTES == read::readAttributes && READ_THRESHOLDS == read::readThresholds);
static_assert(READ_ATTRIBUTE_BUFFER_SIZE == read::sectorSize && READ_THRESHOLD_BUFFER_SIZE == read::sectorSize);
static_assert(sizeof(SENDCMDINPARAMS) == read::inputSize);
static_assert(offsetof(SENDCMDOUTPARAMS, DriverStatus) + offsetof(DRIVERSTATUS, bDriverError) == read::driverError);
static_assert(offsetof(SENDCMDOUTPARAMS, DriverStatus) + offsetof(DRIVERSTATUS, bIDEError) == read::ideError);
static_assert(offsetof(SENDCMDOUTPARAMS, bBuffer) == read::sector);
static_assert(sizeof(SENDCMDOUTPARAMS) - 1 + READ_ATTRIBUTE_BUFFER_SIZE == read::replySize);

static_assert(StorageDeviceProtocolSpecificProperty == nvme::protocolSpecificProperty);
static_assert(StorageDeviceTemperatureProperty == device::temperatureQuery::temperatureProperty);
static_assert(ProtocolTypeNvme == nvme::protocolNvme && NVMeDataTypeLogPage == nvme::dataTypeLogPage);
static_assert(NVME_LOG_PAGE_HEALTH_INFO == nvme::healthLogPage);
static_assert(offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters) == nvme::protocolData);
static_assert(sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA) == nvme::protocolDataSize);
static_assert(nvme::protocolData + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolType) == nvme::protocolType);
static_assert(nvme::protocolData + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, DataType) == nvme::dataType);
static_assert(nvme::protocolData + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestValue) ==
              nvme::requestValue);
static_assert(nvme::protocolData + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataOffset) == nvme::dataOffset);
static_assert(nvme::protocolData + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataLength) == nvme::dataLength);
static_assert(sizeof(STORAGE_PROTOCOL_DATA_DESCRIPTOR) == nvme::expectedVersion);
static_assert(offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, Version) == nvme::version);
static_assert(offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, Size) == nvme::descriptorSize);
static_assert(offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData) == nvme::protocolData);

static_assert(sizeof(NVME_HEALTH_INFO_LOG) == nvme::logSize);
static_assert(offsetof(NVME_HEALTH_INFO_LOG, CriticalWarning) == log::criticalWarning);
static_assert(offsetof(NVME_HEALTH_INFO_LOG, Temperature) == log::compositeTemperature);
static_assert(offsetof(NVME_HEALTH_INFO_LOG, AvailableSpare) == log::availableSpare);
static_assert(offsetof(NVME_HEALTH_INFO_LOG, AvailableSpareThreshold) == log::availableSpareThreshold);
static_assert(offsetof(NVME_HEALTH_INFO_LOG, PercentageUsed) == log::percentageUsed);
static_assert(offsetof(NVME_HEALTH_INFO_LOG, DataUnitRead) == log::dataUnitsRead);
static_assert(offsetof(NVME_HEALTH_INFO_LOG, DataUnitWritten) == log::dataUnitsWritten);
static_assert(offsetof(NVME_HEALTH_INFO_LOG, PowerCycle) == log::powerCycles);
static_assert(offsetof(NVME_HEALTH_INFO_LOG, PowerOnHours) == log::powerOnHours);
static_assert(offsetof(NVME_HEALTH_INFO_LOG, UnsafeShutdowns) == log::unsafeShutdowns);
static_assert(offsetof(NVME_HEALTH_INFO_LOG, MediaErrors) == log::mediaErrors);
static_assert(offsetof(NVME_HEALTH_INFO_LOG, ErrorInfoLogEntryCount) == log::errorLogEntries);
static_assert(sizeof(NVME_HEALTH_INFO_LOG::DataUnitRead) == log::counterSize);
}  // namespace kestrine::checked
