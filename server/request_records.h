// The argument block of every console request (laid over RqH::args, record
// offset 8) and the payload of every result (laid over
// MgrRequestResult::payload, offset 8). Handlers read and write them only
// through these structs; the asserts give each field's record offset.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "server/account_store.h"
#include "server/protocol.h"
#include "server/requests/file_names.h"
#include "server/sensor/sensor_records.h"

namespace cvlm {

// Integer fields are sent as they lie in memory.
static_assert(std::endian::native == std::endian::little);

// Record offset of a field of an argument block or a result payload.
#define CVLM_RECORD_OFFSET(type, field) (std::size_t{8} + offsetof(type, field))

// The sensor named by requests 5, 7 and 30: its address bytes a, b, c, d.
struct SensorArgs {
  std::uint8_t address[4];
};
static_assert(sizeof(SensorArgs) == 4);

// Request 4: the account and its new password.
struct ChangePasswdArgs {
  char userName[kAclTextSize];
  std::uint8_t unused[2];
  char newPassword[kAclTextSize];
};
static_assert(sizeof(ChangePasswdArgs) == 62);
static_assert(CVLM_RECORD_OFFSET(ChangePasswdArgs, newPassword) == 40);

// Requests 24, 25, 27 and 28 carry a whole account (24 and 28 use only its
// name and password); result 24 carries the stored one.
static_assert(sizeof(AclAccount) <= sizeof(RqH::args) && sizeof(AclAccount) <= sizeof(MgrRequestResult::payload));
static_assert(CVLM_RECORD_OFFSET(AclAccount, password) == 38);

// Results 8 (hosts) and 26 (accounts): how many records follow.
struct RecordCountResult {
  std::int32_t count;
};
static_assert(sizeof(RecordCountResult) == 4);

// Request 2: a book upload, and whether the rules are pushed after it.
struct UploadBookArgs {
  std::int32_t bookType;
  std::int32_t recordCount;
  std::int32_t recordSize;
  std::uint32_t sensorAddress;  // address bytes in memory order
  std::uint8_t pushRules;       // nonzero: push a Rule book after storing it
};
static_assert(CVLM_RECORD_OFFSET(UploadBookArgs, recordCount) == 12);
static_assert(CVLM_RECORD_OFFSET(UploadBookArgs, recordSize) == 16);
static_assert(CVLM_RECORD_OFFSET(UploadBookArgs, sensorAddress) == 20);
static_assert(CVLM_RECORD_OFFSET(UploadBookArgs, pushRules) == 24);

// Request 3: a book download, and its result.
struct DownloadBookArgs {
  std::int32_t bookType;
  std::int32_t recordSize;
  std::uint32_t sensorAddress;
};
static_assert(sizeof(DownloadBookArgs) == 12);
static_assert(CVLM_RECORD_OFFSET(DownloadBookArgs, sensorAddress) == 16);

struct DownloadBookResult {
  std::int32_t recordCount;
  std::int32_t recordSize;
};
static_assert(sizeof(DownloadBookResult) == 8);

// Requests 13 and 14: a file name (cut at 63 characters) and, for an
// upload, its size; result 14 carries the size of the file sent.
struct FileArgs {
  char name[kFileNameField];
  std::int32_t fileSize;
};
static_assert(sizeof(FileArgs) == 68);
static_assert(CVLM_RECORD_OFFSET(FileArgs, fileSize) == 72);

struct FileSizeResult {
  std::int32_t fileSize;
};

// Request 6: the host to add (the sensor's ID is asked of the sensor).
struct AddCvHostArgs {
  char name[32];
  std::uint8_t address[4];
  char community[32];
  char text1[32];
  char text2[32];
  std::int32_t number1;
  std::int32_t number2;
};
static_assert(sizeof(AddCvHostArgs) == 140);
static_assert(CVLM_RECORD_OFFSET(AddCvHostArgs, address) == 40);
static_assert(CVLM_RECORD_OFFSET(AddCvHostArgs, community) == 44);
static_assert(CVLM_RECORD_OFFSET(AddCvHostArgs, text1) == 76);
static_assert(CVLM_RECORD_OFFSET(AddCvHostArgs, text2) == 108);
static_assert(CVLM_RECORD_OFFSET(AddCvHostArgs, number1) == 140);
static_assert(CVLM_RECORD_OFFSET(AddCvHostArgs, number2) == 144);

// Request 9: the host at address, its community as proof, and every new value.
struct ModifyCvHostArgs {
  std::uint8_t address[4];
  std::uint8_t newAddress[4];
  char community[32];
  char name[32];
  char newCommunity[32];
  char text1[32];
  char text2[32];
  std::int32_t number1;
  std::int32_t number2;
  std::int32_t number3;
  std::uint8_t state;
};
static_assert(sizeof(ModifyCvHostArgs) <= sizeof(RqH::args));
static_assert(CVLM_RECORD_OFFSET(ModifyCvHostArgs, newAddress) == 12);
static_assert(CVLM_RECORD_OFFSET(ModifyCvHostArgs, community) == 16);
static_assert(CVLM_RECORD_OFFSET(ModifyCvHostArgs, name) == 48);
static_assert(CVLM_RECORD_OFFSET(ModifyCvHostArgs, newCommunity) == 80);
static_assert(CVLM_RECORD_OFFSET(ModifyCvHostArgs, text1) == 112);
static_assert(CVLM_RECORD_OFFSET(ModifyCvHostArgs, text2) == 144);
static_assert(CVLM_RECORD_OFFSET(ModifyCvHostArgs, number1) == 176);
static_assert(CVLM_RECORD_OFFSET(ModifyCvHostArgs, number3) == 184);
static_assert(CVLM_RECORD_OFFSET(ModifyCvHostArgs, state) == 188);

// The mail block: request 12's arguments, result 11's payload and part of
// the hello result.
struct MailInfoBlock {
  std::int32_t mailCount;
  char mailServer[32];
  char sender[32];
  char user[32];
  std::uint8_t options[4];
};
static_assert(sizeof(MailInfoBlock) == 104);
static_assert(offsetof(MailInfoBlock, mailServer) == 4);
static_assert(offsetof(MailInfoBlock, sender) == 36);
static_assert(offsetof(MailInfoBlock, user) == 68);
static_assert(offsetof(MailInfoBlock, options) == 100);

// Result 1: the welcome text with the version, the host count, the mail
// block with the mail entry count, and the size of the trailer that follows.
struct HelloResult {
  char welcome[136];
  std::int32_t hostCount;
  MailInfoBlock mail;
  std::int32_t trailerSize;
};
static_assert(sizeof(HelloResult) == 248);
static_assert(CVLM_RECORD_OFFSET(HelloResult, hostCount) == 144);
static_assert(CVLM_RECORD_OFFSET(HelloResult, mail) == 148);
static_assert(CVLM_RECORD_OFFSET(HelloResult, mail.options) == 248);
static_assert(CVLM_RECORD_OFFSET(HelloResult, trailerSize) == 252);

// Result 5: the six status replies' values and the sensor's ID.
struct SensorStatusResult {
  std::int32_t pair1First;   // command 3
  std::int32_t pair1Second;
  std::int32_t pair2First;   // command 6
  std::int32_t pair2Second;
  std::int32_t item4First;   // command 8
  std::int32_t item4Figure;  // its float times 100
  std::int32_t item3First;   // command 7
  std::int32_t pair5First;   // command 12
  std::int32_t pair5Second;
  std::int32_t pair6First;   // command 13
  std::int32_t pair6Second;
  std::uint8_t sensorId[kSensorIdSize];
};
static_assert(sizeof(SensorStatusResult) == 56);
static_assert(CVLM_RECORD_OFFSET(SensorStatusResult, pair2First) == 16);
static_assert(CVLM_RECORD_OFFSET(SensorStatusResult, item4First) == 24);
static_assert(CVLM_RECORD_OFFSET(SensorStatusResult, item3First) == 32);
static_assert(CVLM_RECORD_OFFSET(SensorStatusResult, pair5First) == 36);
static_assert(CVLM_RECORD_OFFSET(SensorStatusResult, pair6Second) == 48);
static_assert(CVLM_RECORD_OFFSET(SensorStatusResult, sensorId) == 52);

// Request 22: the sensor and the size of the image that follows; the third
// word is only logged.
struct PutCVKernelArgs {
  std::uint8_t address[4];
  std::int32_t imageSize;
  std::int32_t loggedValue;
};
static_assert(CVLM_RECORD_OFFSET(PutCVKernelArgs, imageSize) == 12);
static_assert(CVLM_RECORD_OFFSET(PutCVKernelArgs, loggedValue) == 16);

// Result 22 (26, 27): the detail code of the push.
struct KernelResult {
  std::int32_t detail;  // 0: none
};

// Request 29: the sensor and the parameter block it is sent, announced to
// the sensor as 8 words of 7 bytes.
inline constexpr std::int32_t kKparamWords = 8;
inline constexpr std::int32_t kKparamWordSize = 7;
struct SetCvKparamArgs {
  std::uint8_t address[4];
  std::uint8_t parameters[kKparamWords * kKparamWordSize];
};
static_assert(sizeof(SetCvKparamArgs) == 60);
static_assert(CVLM_RECORD_OFFSET(SetCvKparamArgs, parameters) == 12);

// Result 30: the parameter bytes the sensor replied, zero after them.
struct GetCvKparamResult {
  std::uint8_t parameters[sizeof(MgrRequestResult::payload)];
};
static_assert(sizeof(GetCvKparamResult) == 251);

#undef CVLM_RECORD_OFFSET

}  // namespace cvlm
