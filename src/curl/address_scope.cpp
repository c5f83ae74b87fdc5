#include "curl/address_scope.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <algorithm>
#include <cstring>

namespace tarnwick::curl {
namespace {

constexpr std::array<uint8_t, 12> kMappedPrefix = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};

IpAddress Mapped(const in_addr& address) {
    IpAddress mapped{};
    std::copy(kMappedPrefix.begin(), kMappedPrefix.end(), mapped.begin());
    std::memcpy(mapped.data() + 12, &address, 4);
    return mapped;
}

IpAddress Bytes(const in6_addr& address) {
    IpAddress bytes{};
    std::memcpy(bytes.data(), &address, 16);
    return bytes;
}

// 100.64/10 is the shared address space of carrier-grade NAT, and what mesh
// VPNs give their machines: never the public internet's.
bool IsPublicIpv4(uint8_t a, uint8_t b) {
    return !(a == 0 || a == 10 || a == 127 || (a == 169 && b == 254) ||
             (a == 172 && (b & 0xf0) == 16) || (a == 192 && b == 168) ||
             (a == 100 && (b & 0xc0) == 64));
}

// 64:ff9b::/96, the well-known prefix of NAT64: its last 32 bits are the
// IPv4 address it reaches.
constexpr std::array<uint8_t, 12> kNat64Prefix = {0, 0x64, 0xff, 0x9b, 0, 0, 0, 0, 0, 0, 0, 0};

} // namespace

std::optional<IpAddress> IpAddressOf(const sockaddr& address) {
    if (address.sa_family == AF_INET) {
        return Mapped(reinterpret_cast<const sockaddr_in&>(address).sin_addr);
    }
    if (address.sa_family == AF_INET6) {
        return Bytes(reinterpret_cast<const sockaddr_in6&>(address).sin6_addr);
    }
    return std::nullopt;
}

std::optional<IpAddress> ParseIpAddress(const std::string& text) {
    in_addr v4{};
    if (inet_pton(AF_INET, text.c_str(), &v4) == 1) return Mapped(v4);
    in6_addr v6{};
    if (inet_pton(AF_INET6, text.c_str(), &v6) == 1) return Bytes(v6);
    return std::nullopt;
}

std::string AddressText(const sockaddr& address) {
    char text[INET6_ADDRSTRLEN] = {};
    const void* bytes = nullptr;
    if (address.sa_family == AF_INET) {
        bytes = &reinterpret_cast<const sockaddr_in&>(address).sin_addr;
    } else if (address.sa_family == AF_INET6) {
        bytes = &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr;
    }
    if (bytes == nullptr || inet_ntop(address.sa_family, bytes, text, sizeof text) == nullptr) {
        return "an address of family " + std::to_string(address.sa_family);
    }
    return text;
}

bool IsPublicAddress(const IpAddress& address) {
    if (std::equal(kMappedPrefix.begin(), kMappedPrefix.end(), address.begin()) ||
        std::equal(kNat64Prefix.begin(), kNat64Prefix.end(), address.begin())) {
        return IsPublicIpv4(address[12], address[13]);
    }
    // ::/96: the unspecified address, loopback and the old IPv4-compatible forms.
    if (std::all_of(address.begin(), address.begin() + 12, [](uint8_t b) { return b == 0; })) {
        return false;
    }
    const bool unique_local = (address[0] & 0xfe) == 0xfc;
    const bool link_local = address[0] == 0xfe && (address[1] & 0xc0) == 0x80;
    return !unique_local && !link_local;
}

} // namespace tarnwick::curl
