// The request headers a console sends, encoded here at the byte offsets of
// the console protocol, independently of the server's record structs, so
// tests check the server's layout instead of sharing it. Addresses are
// network-order values (a.b.c.d as the bytes a, b, c, d); texts are cut to
// their field with a terminator kept.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "server/protocol.h"

namespace cvlm_testing {

// A zeroed header with the type at offset 4.
cvlm::RqH makeHeader(std::int32_t type);

// A request that names a sensor at offset 8 (requests 5, 7, 29, 30 ...).
cvlm::RqH sensorHeader(std::int32_t type, std::uint32_t address);

// Requests 4, 24, 25, 27, 28: a user name at 8 and a password at 38 (at 40 for 4).
cvlm::RqH credentials(std::int32_t type, const std::string& name, const std::string& password);
// Requests 25, 27: a whole 144-byte account at 8.
cvlm::RqH withAccount(std::int32_t type, std::string_view account);

// Request 2 (with the push byte at 24) and request 3.
cvlm::RqH uploadBookHeader(std::int32_t bookType, std::int32_t count, std::int32_t recordSize, std::uint32_t sensor,
                           bool push = false);
cvlm::RqH downloadBookHeader(std::int32_t bookType, std::int32_t recordSize, std::uint32_t sensor);

// Requests 13 and 14: the name's bytes at 8 (64 at most, no terminator
// added) and the size at 72.
cvlm::RqH fileHeader(std::int32_t type, std::string_view name, std::int32_t size = 0);

// The fields of a host as requests 6 and 9 carry them.
struct HostRequest {
  std::string name, community, text1, text2;
  std::int32_t number1 = 0, number2 = 0, number3 = 0;
  std::uint8_t state = 0;
};
// Request 6: name 8, address 40, community 44, texts 76 and 108, numbers 140 and 144.
cvlm::RqH addHostHeader(std::uint32_t address, const HostRequest& host);
// Request 9: address 8, new address 12, community 16, name 48, new community
// 80, texts 112 and 144, numbers 176, 180 and 184, state 188.
cvlm::RqH modifyHostHeader(std::uint32_t address, std::uint32_t newAddress, const std::string& community,
                           const HostRequest& host);

// Request 12: count 8, server 12, sender 44, user 76, options 108.
cvlm::RqH mailSettingsHeader(std::int32_t count, const std::string& server, const std::string& sender,
                             const std::string& user, const std::array<std::uint8_t, 4>& options);

// Request 22: sensor 8, image size 12, the logged word 16.
cvlm::RqH kernelHeader(std::uint32_t sensor, std::int32_t size, std::int32_t logged = 0);
// Request 29: sensor 8, the parameter bytes from 12.
cvlm::RqH setKparamHeader(std::uint32_t sensor, std::string_view parameters);

}  // namespace cvlm_testing
