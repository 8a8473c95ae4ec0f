#pragma once
// The record of a generation: a plain file inside each generation folder with one line per
// copy, naming the source it came from, so a copy can be traced when the log has long let go
// of its line. Written as each copy is published; read by the versions listing.
//
// Format (UTF-8 or any bytes, as the file system gives the names): each line is
//   source path TAB size TAB modification time TAB copy name LF
// where the source path and the copy name have "\" written as "\\", TAB as "\t", LF as "\n"
// and CR as "\r", and every other byte as it is; size is decimal bytes of the copy; the time is
// the source's last-write time in UTC, "YYYY-MM-DDTHH:MM:SS.nnnnnnnnnZ". A reader takes whole
// lines only and passes over any it cannot read, so a torn last line or damage costs those
// lines alone. Fields after the fourth are left for later versions and ignored.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileCopy.h"
#include "platform/FolderFile.h"
#include "platform/FolderHandle.h"

namespace talvenor {

struct RecordLine {
  std::string source;  // the source's full path
  std::uint64_t size = 0;
  std::int64_t modifiedSeconds = 0;  // UTC, since 1970
  long modifiedNanoseconds = 0;
  std::string copyName;  // inside the generation folder
};

class GenerationRecord {
 public:
  // A name FAT, exFAT and NTFS accept, hidden from the usual listings of a copy folder.
  static constexpr const char* kFileName = ".talvenor-record";

  // The record's name in any letter case: on FAT and exFAT a copy of that name would be the
  // record itself, so no copy ever gets it.
  static bool IsRecordName(std::string_view name);

  static std::string FormatLine(const RecordLine& line);
  // Reads one line (without its LF); false when it is damaged.
  static bool ParseLine(std::string_view text, RecordLine& line);
  // The well-formed whole lines of a record whose source is exactly source, in file order.
  static std::vector<RecordLine> LinesFor(std::string_view record, const std::string& source);

  // Appends the line of a copy just published in generation. The file is opened at the first
  // copy of a generation and kept open for the next ones. False when it cannot be written: the
  // copy stays, only its trace is missing.
  bool Add(const platform::FolderHandle& generation, const RecordLine& line);
  // The next copy goes to another generation.
  void Close() { m_file.Close(); }

 private:
  platform::AppendFile m_file;
};

}  // namespace talvenor
