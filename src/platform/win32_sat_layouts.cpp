// The SCSI pass-through request is built and read by hand (probe/sat_layouts.h), in the layouts
// of both pointer widths; here the Windows build checks the one of its own target against the
// SDK's SCSI_PASS_THROUGH.
#include <windows.h>
#include <ntddscsi.h>
#include <winioctl.h>

#include <cstddef>

#include "probe/sat_layouts.h"

namespace kestrine::checked {
namespace pass = device::passThrough;
constexpr const device::PassThroughLayout& own = device::passThroughLayout(device::ownPointerWidth);

static_assert(IOCTL_SCSI_PASS_THROUGH == device::ioctlScsiPassThrough);
static_assert(SCSI_IOCTL_DATA_IN == pass::dataInFromDevice && SCSI_IOCTL_DATA_UNSPECIFIED == pass::dataUnspecified);
static_assert(sizeof(SCSI_PASS_THROUGH) == own.size);
static_assert(offsetof(SCSI_PASS_THROUGH, Length) == pass::length);
static_assert(offsetof(SCSI_PASS_THROUGH, ScsiStatus) == pass::scsiStatus);
static_assert(offsetof(SCSI_PASS_THROUGH, PathId) == pass::pathId);
static_assert(offsetof(SCSI_PASS_THROUGH, TargetId) == pass::targetId);
static_assert(offsetof(SCSI_PASS_THROUGH, Lun) == pass::lun);
static_assert(offsetof(SCSI_PASS_THROUGH, CdbLength) == pass::cdbLength);
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoLength) == pass::senseInfoLength);
static_assert(offsetof(SCSI_PASS_THROUGH, DataIn) == pass::dataIn);
static_assert(offsetof(SCSI_PASS_THROUGH, DataTransferLength) == pass::dataTransferLength);
static_assert(offsetof(SCSI_PASS_THROUGH, TimeOutValue) == pass::timeOutValue);
static_assert(offsetof(SCSI_PASS_THROUGH, DataBufferOffset) == own.dataBufferOffset);
static_assert(sizeof(SCSI_PASS_THROUGH::DataBufferOffset) == own.dataBufferOffsetWidth);
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoOffset) == own.senseInfoOffset);
static_assert(offsetof(SCSI_PASS_THROUGH, Cdb) == own.cdb);
static_assert(sizeof(SCSI_PASS_THROUGH::Cdb) == pass::cdbCapacity);
static_assert(ID_CMD == device::ataCdb::identifyDevice);
}  // namespace kestrine::checked
