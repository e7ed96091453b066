// What the extended edit box asks of its window, of the input method and of the locale. The
// Windows layer implements it on the real EDIT control; host tests implement it with fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "controls/control_types.h"

namespace qv {

// The input context of the control's window, held while one message is looked at and released
// when this object goes.
class IInputContext {
 public:
  virtual ~IInputContext() = default;
  virtual bool OpenStatus() = 0;
  // The size of the reading of the composition just committed; 0 or negative when there is none.
  virtual std::int32_t ResultReadingSize() = 0;
  // That reading (at most `size` as returned above), in code page 932.
  virtual AnsiString ReadResultReading(std::int32_t size) = 0;
};

// The user's default locale's mappings the reading goes through.
enum class ReadingMapping : std::uint8_t { Katakana, HalfWidth };

class IEditHost {
 public:
  virtual ~IEditHost() = default;

  // The framework's standard handling of a window message (it ends in the EDIT control).
  virtual void DefaultHandler(WindowMessage& message) = 0;

  // Text and selection, in the positions of the window's own text (its characters).
  virtual AnsiString Text() const = 0;
  virtual void SetText(const AnsiString& text) = 0;
  virtual std::int32_t TextLength() const = 0;
  virtual void GetSelection(std::int32_t& start, std::int32_t& end) const = 0;  // EM_GETSEL
  virtual void SetSelection(std::int32_t start, std::int32_t end) = 0;          // EM_SETSEL

  // The form that holds the control, and WM_NEXTDLGCTL sent to it (wParam 1: previous control).
  virtual bool HasForm() const = 0;
  virtual void SendNextDlgCtl(bool previous) = 0;

  // Destroy and create the window again, so that changed creation parameters take effect.
  virtual void RecreateWindow() = 0;

  // The window's input context; null when it has none (which counts as a closed input method).
  virtual std::unique_ptr<IInputContext> GetInputContext() = 0;
  // The typed character of a WM_CHAR message in code page 932.
  virtual AnsiString CharToAnsi(std::uintptr_t charCode) const = 0;
  // `text` (without its terminating zero) mapped by the user's default locale into a buffer of
  // `bufferBytes` bytes: what the buffer holds, which may run past a zero byte. A mapping that
  // does not fit gives an empty result.
  virtual AnsiString MapReading(const AnsiString& text, ReadingMapping mapping,
                                std::size_t bufferBytes) const = 0;
  // The user's decimal separator.
  virtual char DecimalSeparator() const = 0;
};

}  // namespace qv
