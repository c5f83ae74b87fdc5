// Which addresses are the public internet's, as browsers' private-network
// rules see them: loopback (127/8, ::1), private (10/8, 172.16/12,
// 192.168/16, fc00::/7), shared (100.64/10), link-local (169.254/16,
// fe80::/10) and "this network" (0/8, and ::/96 with :: in it) are not, in
// IPv4-mapped IPv6 form and behind NAT64's prefix (64:ff9b::/96) too; every
// other address is.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

struct sockaddr;

namespace tarnwick::curl {

// An address as the 16 bytes of its IPv6 form; an IPv4 address in its
// IPv4-mapped form (::ffff:a.b.c.d).
using IpAddress = std::array<uint8_t, 16>;

// None for an address of another family than IPv4 and IPv6.
std::optional<IpAddress> IpAddressOf(const sockaddr& address);
// From its text ("192.0.2.1", "2001:db8::1"); none when it is no address.
std::optional<IpAddress> ParseIpAddress(const std::string& text);
// The address as its family writes it: IPv4 dotted, IPv6 in colons.
std::string AddressText(const sockaddr& address);

bool IsPublicAddress(const IpAddress& address);

// Tells public addresses from the others; tests may call some local ones public.
using PublicTest = std::function<bool(const IpAddress& address)>;

} // namespace tarnwick::curl
