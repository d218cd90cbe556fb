#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// What a live trace file held before its read position, in brief: hashes of its first and of
// its last Length() bytes there. A file cut to zero and written again up to a greater size
// shows no shrink; its bytes before the read position no longer match the fingerprint.
class CReadFingerprint {
public:
    static constexpr std::int64_t kBytes = 4096;
    // Reads `size` bytes at `offset` of the file into `bytes`; false with `error`.
    using FRead = std::function<bool(std::int64_t offset, std::int64_t size, std::string& bytes,
                                     std::string& error)>;

    // The read position it was taken at; 0 (nothing read) for a new one.
    std::int64_t Position() const { return m_nPosition; }
    // The bytes the head and the tail cover: the first and the last this many before the
    // position.
    std::int64_t Length() const { return LengthAt(m_nPosition); }
    static std::int64_t LengthAt(std::int64_t position);

    bool HeadMatches(std::string_view head) const { return Hash(head) == m_nHeadHash; }
    bool TailMatches(std::string_view tail) const { return Hash(tail) == m_nTailHash; }

    // Takes the fingerprint at `position` from its head and tail bytes.
    void Take(std::int64_t position, std::string_view head, std::string_view tail);
    // Moves the fingerprint on to `position`, given the bytes of the file from offset `start`
    // to the position at least. They start at 0 while the head is shorter than kBytes, and at
    // or before the new tail in any case.
    void MoveTo(std::int64_t position, std::string_view bytes, std::int64_t start);

    // Takes the fingerprint at `position` from the file `read` reads.
    bool TakeFrom(std::int64_t position, const FRead& read, std::string& error);
    // Whether the file `read` reads still holds, before the position, the bytes the
    // fingerprint was taken of (in brief: its head and tail); false with `error` when it
    // cannot be read.
    bool MatchesIn(const FRead& read, bool& matches, std::string& error) const;

    bool operator==(const CReadFingerprint&) const = default;

private:
    static std::size_t Hash(std::string_view bytes);

    std::int64_t m_nPosition = 0;
    std::size_t m_nHeadHash = Hash({});
    std::size_t m_nTailHash = Hash({});
};
