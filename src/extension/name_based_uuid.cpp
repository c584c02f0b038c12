#include "extension/name_based_uuid.h"

#include <array>
#include <cstdint>
#include <vector>

#include "gis/uid.h"
#include "platform/automation_error.h"

namespace chronova {
namespace {

using Digest = std::array<uint8_t, 20>;

uint32_t RotateLeft(uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

// SHA-1 (FIPS 180-4) of a whole message held in memory.
Digest Sha1(std::vector<uint8_t> message) {
    const uint64_t bit_length = static_cast<uint64_t>(message.size()) * 8;
    message.push_back(0x80);
    while (message.size() % 64 != 56) {
        message.push_back(0);
    }
    for (int shift = 56; shift >= 0; shift -= 8) {
        message.push_back(static_cast<uint8_t>(bit_length >> shift));
    }

    std::array<uint32_t, 5> h = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    for (size_t block = 0; block < message.size(); block += 64) {
        std::array<uint32_t, 80> w{};
        for (size_t i = 0; i < 16; ++i) {
            const uint8_t* word = &message[block + i * 4];
            w[i] = (uint32_t{word[0]} << 24) | (uint32_t{word[1]} << 16) | (uint32_t{word[2]} << 8) | word[3];
        }
        for (size_t i = 16; i < 80; ++i) {
            w[i] = RotateLeft(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        }
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (size_t i = 0; i < 80; ++i) {
            uint32_t f = 0;
            uint32_t k = 0;
            if (i < 20) {
                f = (b & c) | (~b & d);
                k = 0x5A827999;
            } else if (i < 40) {
                f = b ^ c ^ d;
                k = 0x6ED9EBA1;
            } else if (i < 60) {
                f = (b & c) | (b & d) | (c & d);
                k = 0x8F1BBCDC;
            } else {
                f = b ^ c ^ d;
                k = 0xCA62C1D6;
            }
            const uint32_t next = RotateLeft(a, 5) + f + e + k + w[i];
            e = d;
            d = c;
            c = RotateLeft(b, 30);
            b = a;
            a = next;
        }
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
    }

    Digest digest{};
    for (size_t i = 0; i < 20; ++i) {
        digest[i] = static_cast<uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
    }
    return digest;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return (c & ~0x20) - 'A' + 10; // the GUID text was checked, so c is a hex letter
}

} // namespace

std::string NameBasedUuid(std::string_view namespace_guid, std::string_view name) {
    const auto guid = gis::NormalizeGuid(namespace_guid);
    if (!guid) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "'" + std::string(namespace_guid) + "' is not a valid GUID text.");
    }
    // The namespace's bytes in the order its text writes them (network order), then the name's bytes.
    std::vector<uint8_t> message;
    for (size_t i = 0; i < guid->size(); ++i) {
        if ((*guid)[i] == '{' || (*guid)[i] == '}' || (*guid)[i] == '-') {
            continue;
        }
        message.push_back(static_cast<uint8_t>(HexValue((*guid)[i]) * 16 + HexValue((*guid)[i + 1])));
        ++i;
    }
    message.insert(message.end(), name.begin(), name.end());

    Digest digest = Sha1(std::move(message));
    digest[6] = static_cast<uint8_t>((digest[6] & 0x0F) | 0x50); // version 5
    digest[8] = static_cast<uint8_t>((digest[8] & 0x3F) | 0x80); // the RFC's variant

    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text = "{";
    for (size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text += '-';
        }
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0x0F];
    }
    return text + "}";
}

} // namespace chronova
