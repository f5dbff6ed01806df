#pragma once
// A frameless form laid out as the program's caption-less windows are, and a
// message log to put in a control's message path, for the tests of
// TNoCaptionForm.

#include <windows.h>

#include <memory>
#include <ostream>
#include <vector>

#include "ui/Form.h"
#include "ui/Panel.h"

namespace nocaption_test {

struct FreeComponent {
  void operator()(TObject* object) const { Free(object); }
};
template <class T>
using OwnedBy = std::unique_ptr<T, FreeComponent>;

// 456x270 at (100,100), no border: a 25-pixel title bar (alTop) holding
// three 33-pixel buttons and a 50-pixel extra control, all placed away from
// where the controller puts them, and 4-pixel edge panels at the left,
// right and bottom of the body. Its windows exist once it is made.
class NoCaptionTestForm : public TForm {
 public:
  static constexpr int kLeft = 100, kTop = 100, kWidth = 456, kHeight = 270;
  static constexpr int kTitleHeight = 25, kButtonWidth = 33, kExtraWidth = 50, kButtonTop = 3;
  // Where the buttons are before anything lays them out.
  static constexpr int kCloseLeft = 0, kMinLeft = 40, kMaxLeft = 80, kExtraLeft = 120;

  explicit NoCaptionTestForm(TComponent* owner);

  TPanel* TitleBar;
  TPanel* CloseButton;
  TPanel* MinButton;
  TPanel* MaxButton;
  TPanel* ExtraControl;
  TPanel* LeftEdge;
  TPanel* RightEdge;
  TPanel* BottomEdge;
};

// A window's place and size, in the parent's client (for a form: screen)
// coordinates.
struct Box {
  int Left, Top, Width, Height;
  friend bool operator==(const Box&, const Box&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << "(" << box.Left << "," << box.Top << " " << box.Width << "x" << box.Height << ")";
  }
};
// Where the system has the window.
Box WindowBox(HWND window);
// Where the layer thinks the control is.
Box StoredBox(const TControl& control);
// The system's work area.
RECT WorkArea();

// One message as a control's WindowProc saw it, with the answer the
// procedure behind the log gave.
struct LoggedMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

// Replaces a control's WindowProc, keeps every message, hands each to the
// procedure it replaced, and puts that one back when it goes.
class MessageLog {
 public:
  explicit MessageLog(TWinControl& control);
  ~MessageLog();
  MessageLog(const MessageLog&) = delete;
  MessageLog& operator=(const MessageLog&) = delete;

  // The method installed as the control's WindowProc.
  TWndMethod Method() { return TWndMethod(this, &MessageLog::Handle); }
  const std::vector<LoggedMessage>& Messages() const { return messages_; }
  // The last `msg` seen, or null.
  const LoggedMessage* Last(UINT msg) const;
  int Count(UINT msg) const;
  void Clear() { messages_.clear(); }

 private:
  void Handle(TMessage& message);

  TWinControl& control_;
  TWndMethod saved_;
  std::vector<LoggedMessage> messages_;
};

}  // namespace nocaption_test
