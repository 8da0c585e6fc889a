// The request blocks of the ASPI for Win32 interface (WNASPI32.DLL), laid out
// as its published programming documentation gives them: byte-packed, with
// pointers of the program's own width (8 bytes in a 64-bit program). Only the
// three requests the drive uses are defined, with the codes it reads back.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vimo {

// Request codes (the first byte of every block).
constexpr uint8_t kAspiHostAdapterInquiry = 0;   // SC_HA_INQUIRY
constexpr uint8_t kAspiGetDeviceType = 1;        // SC_GET_DEV_TYPE
constexpr uint8_t kAspiExecuteScsiCommand = 2;   // SC_EXEC_SCSI_CMD

// Request statuses, and the status byte of the support information.
constexpr uint8_t kAspiPending = 0;      // SS_PENDING: the event tells when it is over
constexpr uint8_t kAspiCompleted = 1;    // SS_COMP: completed without error
constexpr uint8_t kAspiNoAdapters = 0xE8;  // SS_NO_ADAPTERS

// Execute flags: data flows from the device; completion signalled by an event.
constexpr uint8_t kAspiDirectionIn = 0x08;   // SRB_DIR_IN
constexpr uint8_t kAspiEventNotify = 0x40;   // SRB_EVENT_NOTIFY

constexpr uint8_t kAspiCdromDevice = 5;      // device type of a CD-ROM drive
constexpr uint8_t kAspiSenseLength = 14;     // SENSE_LEN
constexpr uint32_t kAspiCdbSize = 16;
constexpr uint32_t kAspiMaxTargetsByte = 3;  // in HA_Unique: targets per adapter, 0 meaning 8

#pragma pack(push, 1)

// The header every request starts with.
struct AspiRequestHeader {
    uint8_t command;     // SRB_Cmd
    uint8_t status;      // SRB_Status
    uint8_t adapter;     // SRB_HaId
    uint8_t flags;       // SRB_Flags
    uint32_t reserved;   // SRB_Hdr_Rsvd
};

// SRB_HAInquiry.
struct AspiAdapterInquiry {
    AspiRequestHeader header;
    uint8_t adapterCount;      // HA_Count
    uint8_t adapterScsiId;     // HA_SCSI_ID
    char managerId[16];        // HA_ManagerId
    char identifier[16];       // HA_Identifier
    uint8_t unique[16];        // HA_Unique
    uint16_t reserved;         // HA_Rsvd1
};

// SRB_GDEVBlock.
struct AspiDeviceType {
    AspiRequestHeader header;
    uint8_t target;            // SRB_Target
    uint8_t lun;               // SRB_Lun
    uint8_t deviceType;        // SRB_DeviceType
    uint8_t reserved;          // SRB_Rsvd1
};

// SRB_ExecSCSICmd.
struct AspiExecuteRequest {
    AspiRequestHeader header;
    uint8_t target;            // SRB_Target
    uint8_t lun;               // SRB_Lun
    uint16_t reserved1;        // SRB_Rsvd1
    uint32_t dataLength;       // SRB_BufLen
    uint8_t* data;             // SRB_BufPointer
    uint8_t senseLength;       // SRB_SenseLen
    uint8_t cdbLength;         // SRB_CDBLen
    uint8_t adapterStatus;     // SRB_HaStat
    uint8_t targetStatus;      // SRB_TargStat
    void* event;               // SRB_PostProc: the event to signal
    uint8_t reserved2[20];     // SRB_Rsvd2
    uint8_t cdb[kAspiCdbSize];                 // CDBByte
    uint8_t senseArea[kAspiSenseLength + 2];   // SenseArea
};

#pragma pack(pop)

static_assert(sizeof(AspiAdapterInquiry) == 60);
static_assert(sizeof(AspiDeviceType) == 12);
static_assert(sizeof(AspiExecuteRequest) == 72 + 2 * sizeof(void*));
static_assert(offsetof(AspiExecuteRequest, data) == 16);
static_assert(offsetof(AspiExecuteRequest, cdb) == 40 + 2 * sizeof(void*));

}  // namespace vimo
