// Console protocol: the stream XOR, record scrambling, the request header and
// result records, request types and result codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace cvlm {

// Stream key shared with the console.
inline constexpr char kUiStreamKey[] = "730582914";

// XORs byte i with key character i mod 9; its own inverse. Returns 1.
int xorUiStream(unsigned char* buffer, std::size_t n);
// Scrambles a record of n >= 3 bytes in place with a fresh salt; two calls on
// one thread never draw the same salt.
void encodeRecord(unsigned char* record, std::size_t n);
// The same with the two salt bytes given.
void encodeRecord(unsigned char* record, std::size_t n, unsigned char salt1, unsigned char salt2);
// Checks and unscrambles in place; 0 (record untouched) when the bytes do not sum to 0.
int decodeRecord(unsigned char* record, std::size_t n);

// Request header, the first unit of every connection.
struct RqH {
  std::uint8_t salt1;
  std::uint8_t salt2;
  std::uint8_t reserved[2];
  std::int32_t Type;
  std::uint8_t args[187];
  std::uint8_t check;

  unsigned char* bytes() { return reinterpret_cast<unsigned char*>(this); }
  // The request's argument block (server/request_records.h), copied out of args.
  template <class Args>
  Args argsAs() const {
    static_assert(std::is_trivially_copyable_v<Args> && sizeof(Args) <= sizeof args);
    Args a;
    std::memcpy(&a, args, sizeof a);
    return a;
  }
};
static_assert(sizeof(RqH) == 196);
static_assert(offsetof(RqH, Type) == 4);
static_assert(offsetof(RqH, args) == 8);
static_assert(offsetof(RqH, check) == 195);

// Result record sent by the server.
struct MgrRequestResult {
  std::uint8_t salt1;
  std::uint8_t salt2;
  std::uint8_t reserved[2];
  std::int32_t type;
  std::uint8_t payload[251];
  std::uint8_t check;

  unsigned char* bytes() { return reinterpret_cast<unsigned char*>(this); }
  // Copies a result payload (server/request_records.h) into payload.
  template <class Payload>
  void setPayload(const Payload& p) {
    static_assert(std::is_trivially_copyable_v<Payload> && sizeof(Payload) <= sizeof payload);
    std::memcpy(payload, &p, sizeof p);
  }
};
static_assert(sizeof(MgrRequestResult) == 260);
static_assert(offsetof(MgrRequestResult, type) == 4);
static_assert(offsetof(MgrRequestResult, payload) == 8);
static_assert(offsetof(MgrRequestResult, check) == 259);

// Request types (RqH Type).
enum RequestType : std::int32_t {
  RQ_Hello = 1,
  RQ_UploadBook = 2,
  RQ_DownloadBook = 3,
  RQ_ChangePasswd = 4,
  RQ_QueryCvHost = 5,
  RQ_AddCvHost = 6,
  RQ_DelCvHost = 7,
  RQ_ListCvHost = 8,
  RQ_ModifyCvHost = 9,
  RQ_GetEMailInfo = 11,
  RQ_SetEMailInfo = 12,
  RQ_UploadFile = 13,
  RQ_DownloadFile = 14,
  RQ_Silent15 = 15,
  RQ_Silent16 = 16,
  RQ_Silent19 = 19,
  RQ_PutCVKernel = 22,
  RQ_GetAcl = 24,
  RQ_SetAcl = 25,
  RQ_GetAllAcl = 26,
  RQ_AddAcl = 27,
  RQ_DetAcl = 28,
  RQ_SetCvKparam = 29,
  RQ_GetCvKparam = 30,
};

// Result types (MgrRequestResult type).
enum MrrType : std::int32_t {
  MRR_TYPE_Unknow_Error = 0,
  MRR_TYPE_Success = 1,
  MRR_TYPE_ReadMRH_Error = 2,
  MRR_TYPE_Password_Error = 3,
  MRR_TYPE_Unknown_Request = 4,
  MRR_TYPE_TooManyCv_Error = 6,
  MRR_TYPE_CvExist_Error = 7,
  MRR_TYPE_CvNotFound_Error = 8,
  MRR_TYPE_Community_Error = 9,
  MRR_TYPE_RuleSize_Error = 10,
  MRR_TYPE_Book_Type_Error = 11,
  MRR_TYPE_Not_Enough_Data_Error = 12,
  MRR_TYPE_Openfile_Error = 13,
  MRR_TYPE_ConnectCV_Error = 14,
  MRR_TYPE_WriteToCV_Error = 15,
  MRR_TYPE_ReadFromCV_Error = 16,
  MRR_TYPE_Kernel_Receive = 22,
  MRR_TYPE_LmGetKernel_Error = 22,
  MRR_TYPE_LmKernelSocketError = 25,
  MRR_TYPE_Kernel_Accepted = 26,
  MRR_TYPE_Kernel_Failed = 27,
  MRR_TYPE_UILmSocket_Error = 31,
  MRR_TYPE_GetAcl_Error = 33,
  MRR_TYPE_SetAcl_Error = 35,
  MRR_TYPE_getAllAcl_Error = 37,
  MRR_TYPE_AddAcl_Error = 39,
  MRR_TYPE_DelAcl_Error = 41,
  MRR_TYPE_KparamRead = 42,
  MRR_TYPE_KparamWritten = 44,
};

}  // namespace cvlm
