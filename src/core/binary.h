#pragma once
// Little-endian fields at explicit offsets of a byte buffer.
#include <cstdint>
#include <cstring>

namespace tavlora::bin {

inline void putU8(uint8_t* p, size_t off, uint8_t v) { p[off] = v; }
inline uint8_t getU8(const uint8_t* p, size_t off) { return p[off]; }

inline void putU16(uint8_t* p, size_t off, uint16_t v) {
    p[off] = static_cast<uint8_t>(v);
    p[off + 1] = static_cast<uint8_t>(v >> 8);
}
inline uint16_t getU16(const uint8_t* p, size_t off) {
    return static_cast<uint16_t>(p[off] | (p[off + 1] << 8));
}
inline void putU32(uint8_t* p, size_t off, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[off + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint32_t getU32(const uint8_t* p, size_t off) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(p[off + i]) << (8 * i);
    return v;
}
inline void putI32(uint8_t* p, size_t off, int32_t v) { putU32(p, off, static_cast<uint32_t>(v)); }
inline int32_t getI32(const uint8_t* p, size_t off) { return static_cast<int32_t>(getU32(p, off)); }
inline void putU64(uint8_t* p, size_t off, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[off + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint64_t getU64(const uint8_t* p, size_t off) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(p[off + i]) << (8 * i);
    return v;
}
inline void putI64(uint8_t* p, size_t off, int64_t v) { putU64(p, off, static_cast<uint64_t>(v)); }
inline int64_t getI64(const uint8_t* p, size_t off) { return static_cast<int64_t>(getU64(p, off)); }
// IEEE double, little-endian.
inline void putF64(uint8_t* p, size_t off, double v) {
    uint64_t u;
    std::memcpy(&u, &v, 8);
    putU64(p, off, u);
}
inline double getF64(const uint8_t* p, size_t off) {
    uint64_t u = getU64(p, off);
    double v;
    std::memcpy(&v, &u, 8);
    return v;
}
inline void putBytes(uint8_t* p, size_t off, const void* src, size_t n) { std::memcpy(p + off, src, n); }
inline void getBytes(const uint8_t* p, size_t off, void* dst, size_t n) { std::memcpy(dst, p + off, n); }

}  // namespace tavlora::bin
