// One save through a share, as a user of another computer would make it: a new file of our own
// (its name unique, so nobody's data is touched), written, read back and compared, removed. The
// file is removed whatever step fails once it exists. Used for the administrator's own save
// through \\localhost and for the check run on another computer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/ansi_string.h"

namespace qv {

class IShareFiles {
 public:
  virtual ~IShareFiles() = default;
  // Creates a file that must not exist yet and keeps it open for reading and writing; 0 or the
  // system's code.
  virtual std::uint32_t Create(const AnsiString& path) = 0;
  virtual std::uint32_t Write(const std::vector<std::uint8_t>& data) = 0;
  // Reads up to `size` bytes from the start of the open file into `into`.
  virtual std::uint32_t ReadBack(std::size_t size, std::vector<std::uint8_t>& into) = 0;
  virtual void Close() = 0;
  virtual std::uint32_t Remove(const AnsiString& path) = 0;
  // A monotonic clock, in seconds.
  virtual double Seconds() = 0;
  // A file name no other run of any computer picks.
  virtual AnsiString UniqueFileName() = 0;
  // The system's text for a code, without its closing line break; "" when it has none.
  virtual AnsiString SystemText(std::uint32_t code) = 0;
};

enum class SaveStep { Create, Write, Read, Remove };

struct StepOutcome {
  SaveStep step = SaveStep::Create;
  std::uint32_t code = 0;  // 0: the call itself succeeded
  bool differs = false;    // read: the bytes read back are not the bytes written
  double seconds = 0;
  std::size_t bytes = 0;
  bool ok() const { return code == 0 && !differs; }
};

struct SaveTrial {
  AnsiString path;  // the temporary file
  std::vector<StepOutcome> steps;
  // The file could not be removed: it stays on the share.
  bool leftBehind = false;
  bool ok() const;
  // The first step that failed; nullptr when all passed.
  const StepOutcome* failure() const;
};

// Runs the steps in `folder` (a UNC path, with or without its closing backslash).
SaveTrial TrySave(IShareFiles& files, const AnsiString& folder, std::size_t bytes);

// Bytes that no cache or compression turns into something cheaper than a real transfer.
std::vector<std::uint8_t> TrialContent(std::size_t bytes);

}  // namespace qv
