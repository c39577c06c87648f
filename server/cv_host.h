// ObjCvHost: one managed sensor, the 172-byte record of ".cvdb" and of the
// host lists sent to the console.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "server/sensor/sensor_records.h"

namespace cvlm {

inline constexpr std::size_t kCvHostSize = 172;
inline constexpr std::size_t kCvTextSize = 32;

struct ObjCvHost {
  std::uint8_t address[4];  // a.b.c.d as bytes a, b, c, d; the key of the database
  std::uint8_t reserved1[12];
  std::uint8_t sensorId[kSensorIdSize];  // as the sensor reported it when added
  char name[kCvTextSize];
  char community[kCvTextSize];  // must be quoted by a modify request
  char text1[kCvTextSize];
  char text2[kCvTextSize];
  std::int32_t number1;
  std::int32_t number2;
  std::int32_t number3;
  std::uint8_t state;  // 1 in a newly added entry
  std::uint8_t reserved2[3];
};
static_assert(sizeof(ObjCvHost) == kCvHostSize);
static_assert(offsetof(ObjCvHost, address) == 0);
static_assert(offsetof(ObjCvHost, reserved1) == 4);
static_assert(offsetof(ObjCvHost, sensorId) == 16);
static_assert(offsetof(ObjCvHost, name) == 28);
static_assert(offsetof(ObjCvHost, community) == 60);
static_assert(offsetof(ObjCvHost, text1) == 92);
static_assert(offsetof(ObjCvHost, text2) == 124);
static_assert(offsetof(ObjCvHost, number1) == 156);
static_assert(offsetof(ObjCvHost, number2) == 160);
static_assert(offsetof(ObjCvHost, number3) == 164);
static_assert(offsetof(ObjCvHost, state) == 168);
static_assert(offsetof(ObjCvHost, reserved2) == 169);

inline bool sameAddress(const std::uint8_t* a, const std::uint8_t* b) { return std::memcmp(a, b, 4) == 0; }

// "a.b.c.d", each byte unsigned decimal.
std::string cvAddressText(const std::uint8_t* address);

// Copies a 32-byte request field into a host text field: at most 31
// characters, stopping at the field's first zero byte, zero-padded.
void copyCvText(char* field, const void* source);

// Text-field comparison that never reads past the 32-byte fields.
bool sameCvText(const char* a, const char* b);

}  // namespace cvlm
