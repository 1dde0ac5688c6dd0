#pragma once
// What a run loop needs from the window that shows its progress. The progress window implements
// it on Windows; tests implement it to play the window and the user.

namespace corvane {

class ProgressView {
public:
  virtual ~ProgressView() = default;

  // Creates the window modeless and hidden; creation clears the abort request.
  virtual void Create() = 0;
  virtual void SetTitle(const char* text) = 0;
  // Shows the window and paints it at once.
  virtual void Show() = 0;
  virtual void SetFileName(const char* text) = 0;
  virtual void SetFileSize(const char* text) = 0;
  virtual void SetStatus(const char* text) = 0;
  virtual void SetBytes(const char* text) = 0;
  virtual void SetRange(int lower, int upper) = 0;
  virtual void SetPosition(int position) = 0;
  // Processes every pending message of the thread; a Cancel click raises the abort request.
  virtual void PumpMessages() = 0;
  virtual bool AbortRequested() const = 0;
  virtual void ClearAbortRequest() = 0;
  // Asks "Are you sure you wish to abort?"; true when the user answers Yes.
  virtual bool ConfirmAbort() = 0;
  virtual void Destroy() = 0;
  // Paints the window's five fields as they stand, at once. Otherwise the window paints them at
  // its own pace; either way it is given every text and position.
  virtual void Paint() = 0;
};

} // namespace corvane
