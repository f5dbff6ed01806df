#include "tests/support/NoCaptionFixture.h"

namespace nocaption_test {

namespace {

TPanel* MakePanel(TForm* owner, TWinControl* parent, int left, int top, int width, int height) {
  auto* panel = new TPanel(owner);
  panel->SetBounds(left, top, width, height);
  panel->SetParent(parent);
  return panel;
}

}  // namespace

NoCaptionTestForm::NoCaptionTestForm(TComponent* owner) : TForm(owner) {
  SetBounds(kLeft, kTop, kWidth, kHeight);
  TitleBar = MakePanel(this, this, 0, 0, kWidth, kTitleHeight);
  TitleBar->SetAlign(alTop);
  CloseButton = MakePanel(this, TitleBar, kCloseLeft, kButtonTop, kButtonWidth, 19);
  MinButton = MakePanel(this, TitleBar, kMinLeft, kButtonTop, kButtonWidth, 19);
  MaxButton = MakePanel(this, TitleBar, kMaxLeft, kButtonTop, kButtonWidth, 19);
  ExtraControl = MakePanel(this, TitleBar, kExtraLeft, kButtonTop, kExtraWidth, 19);
  const int bodyHeight = kHeight - kTitleHeight;
  LeftEdge = MakePanel(this, this, 0, kTitleHeight, 4, bodyHeight);
  RightEdge = MakePanel(this, this, kWidth - 4, kTitleHeight, 4, bodyHeight);
  BottomEdge = MakePanel(this, this, 0, kHeight - 4, kWidth, 4);
  Handle();
}

Box WindowBox(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

Box StoredBox(const TControl& control) {
  return {control.Left(), control.Top(), control.Width(), control.Height()};
}

RECT WorkArea() {
  RECT area{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

MessageLog::MessageLog(TWinControl& control) : control_(control), saved_(control.WindowProc) {
  control_.WindowProc = Method();
}

MessageLog::~MessageLog() { control_.WindowProc = saved_; }

void MessageLog::Handle(TMessage& message) {
  saved_(message);
  messages_.push_back({message.Msg, message.WParam, message.LParam, message.Result});
}

const LoggedMessage* MessageLog::Last(UINT msg) const {
  for (auto it = messages_.rbegin(); it != messages_.rend(); ++it) {
    if (it->Msg == msg) return &*it;
  }
  return nullptr;
}

int MessageLog::Count(UINT msg) const {
  int count = 0;
  for (const LoggedMessage& message : messages_) count += message.Msg == msg;
  return count;
}

}  // namespace nocaption_test
