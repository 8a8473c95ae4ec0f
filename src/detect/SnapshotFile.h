#pragma once
// The snapshot file ("test2.dat") in its archive layout: a record count, then each record
// behind a class tag, little-endian, no header.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/UiPort.h"
#include "detect/Snapshot.h"

namespace talvenor {

// Replaces the file atomically; 0 after "ファイルに書き込みできません。" when it cannot be written.
int SaveSnapshot(const std::string& path, const Snapshot& snapshot, UiPort& ui);
// The same for bytes encoded elsewhere (a held tree encodes its own records), in pieces.
int SaveSnapshotPieces(const std::string& path,
                       const std::function<bool(const std::function<bool(std::string_view)>& put)>& produce,
                       UiPort& ui);

// Replaces snapshot with the file's records. 0 without a message when the file cannot be
// opened (snapshot unchanged) or is damaged (snapshot holds the records read before the damage).
int LoadSnapshot(const std::string& path, Snapshot& snapshot);

// 0 without a message when the file cannot be removed.
int DeleteSnapshotFile(const std::string& path);

// The archive bytes of a snapshot, and their reading; used by the functions above. Like the
// load, the decoding gives false with the records read before the damage.
std::string EncodeSnapshot(const Snapshot& snapshot);
bool DecodeSnapshot(std::string_view bytes, Snapshot& snapshot);
// The same, given the bytes in pieces of pieceBytes, as the load reads the file.
bool DecodeSnapshotInPieces(std::string_view bytes, std::size_t pieceBytes, Snapshot& snapshot);

// Tags of the archive layout: a new class with its name, then references to it.
inline constexpr std::uint16_t kNewClassTag = 0xFFFF;
inline constexpr std::uint16_t kFirstClassReference = 0x8001;
// A count at or above this is written as this marker and a 32-bit count.
inline constexpr std::uint32_t kLongCount = 0xFFFF;

}  // namespace talvenor
