#include "ui/FormReader.h"

#include <string>
#include <utility>
#include <vector>

#include "ui/CppWebBrowser.h"
#include "ui/EzRgnBtn.h"
#include "ui/Exception.h"
#include "ui/FormDefinition.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Panel.h"
#include "ui/Scoped.h"

namespace {

using Property = TDefinitionProperty;
using Choices = std::initializer_list<std::pair<const char*, long>>;

class Reader {
 public:
  Reader(TForm& form, const char* className, std::span<const TPublished> published)
      : form_(form), source_(className), published_(published), bound_(published.size(), false) {}

  void Read(const TDefinitionNode& root);

 private:
  [[noreturn]] void Fail(int line, const AnsiString& what) const {
    throw Exception(AnsiString("Form definition ") + source_ + ", line " +
                    AnsiString(std::to_string(line)) + ": " + what);
  }
  [[noreturn]] void Unknown(const Property& property, const AnsiString& owner) const {
    Fail(property.line, AnsiString("unknown property \"") + property.name + "\" of " + owner);
  }

  long Number(const Property& property) const {
    if (property.value.kind != TDefinitionValue::Number)
      Fail(property.line, property.name + " needs a number");
    return property.value.number;
  }
  AnsiString String(const Property& property) const {
    if (property.value.kind != TDefinitionValue::String)
      Fail(property.line, property.name + " needs a string");
    return property.value.text;
  }
  long Choice(const Property& property, Choices choices) const {
    if (property.value.kind == TDefinitionValue::Identifier) {
      for (const auto& [name, value] : choices) {
        if (property.value.text == AnsiString(name)) return value;
      }
    }
    AnsiString allowed;
    for (const auto& choice : choices) allowed += AnsiString(" ") + choice.first;
    Fail(property.line, property.name + " must be one of" + allowed);
  }
  bool Boolean(const Property& property) const {
    return Choice(property, {{"true", 1}, {"false", 0}}) != 0;
  }
  TColor Color(const Property& property) const {
    if (property.value.kind == TDefinitionValue::Number) return property.value.number;
    return Choice(property, {{"clBlack", clBlack},
                             {"clSilver", clSilver},
                             {"clWindowText", clWindowText},
                             {"clBtnFace", clBtnFace}});
  }
  TNotifyEvent Handler(const Property& property) const {
    if (property.value.kind == TDefinitionValue::Identifier) {
      for (const TPublished& entry : published_) {
        if (entry.Handler && property.value.text == AnsiString(entry.Name))
          return entry.Handler(form_);
      }
    }
    Fail(property.line, AnsiString("no handler \"") + property.value.text + "\" in " + source_);
  }
  void Picture(TPicture& picture, const Property& property) const {
    if (property.value.kind != TDefinitionValue::Identifier)
      Fail(property.line, property.name + " needs a picture name");
    try {
      picture.LoadFromResource(GetModuleHandleA(nullptr), property.value.text.c_str());
    } catch (Exception& error) {
      Fail(property.line, error.Message);
    }
  }

  bool ReadFont(TFont& font, const Property& property) const;
  bool ReadControl(TControl& control, const Property& property) const;
  bool ReadWinControl(TWinControl& control, const Property& property) const;
  bool ReadForm(const Property& property) const;
  bool ReadPanel(TPanel& panel, const Property& property) const;
  bool ReadImage(TImage& image, const Property& property) const;
  bool ReadLabel(TLabel& label, const Property& property) const;
  bool ReadButton(TEzRgnBtn& button, const Property& property) const;
  bool ReadBrowser(TCppWebBrowser& browser, const Property& property) const;
  template <class Control>
  TControl* Make(const TDefinitionNode& node,
                 bool (Reader::*read)(Control&, const Property&) const);
  void ReadComponent(const TDefinitionNode& node, TWinControl& parent);
  TComponent* Create(const TDefinitionNode& node, TWinControl& parent);
  void Bind(const TDefinitionNode& node, TComponent* component);
  void Scale(const TDefinitionNode& root);

  TForm& form_;
  AnsiString source_;
  std::span<const TPublished> published_;
  std::vector<bool> bound_;
};

bool Reader::ReadFont(TFont& font, const Property& property) const {
  const AnsiString& name = property.name;
  if (name == "Font.Height") {
    font.Height = static_cast<int>(Number(property));
  } else if (name == "Font.Name") {
    font.Name = String(property);
  } else if (name == "Font.Color") {
    font.Color = Color(property);
  } else if (name == "Font.Charset") {
    font.Charset = static_cast<BYTE>(Choice(property, {{"ANSI_CHARSET", ANSI_CHARSET},
                                                       {"DEFAULT_CHARSET", DEFAULT_CHARSET},
                                                       {"GB2312_CHARSET", GB2312_CHARSET}}));
  } else {
    return false;
  }
  return true;
}

bool Reader::ReadControl(TControl& control, const Property& property) const {
  const AnsiString& name = property.name;
  if (name == "Left") {
    control.SetLeft(static_cast<int>(Number(property)));
  } else if (name == "Top") {
    control.SetTop(static_cast<int>(Number(property)));
  } else if (name == "Width") {
    control.SetWidth(static_cast<int>(Number(property)));
  } else if (name == "Height") {
    control.SetHeight(static_cast<int>(Number(property)));
  } else if (name == "Align") {
    control.SetAlign(static_cast<TAlign>(
        Choice(property, {{"alNone", alNone}, {"alTop", alTop}, {"alClient", alClient}})));
  } else if (name == "Hint") {
    control.SetHint(String(property));
  } else if (name == "ShowHint") {
    control.SetShowHint(Boolean(property));
  } else if (name == "Visible") {
    control.SetVisible(Boolean(property));
  } else if (name == "OnClick") {
    control.OnClick = Handler(property);
  } else {
    return false;
  }
  return true;
}

bool Reader::ReadWinControl(TWinControl& control, const Property& property) const {
  const AnsiString& name = property.name;
  if (ReadControl(control, property)) return true;
  if (name == "Color") {
    control.SetColor(Color(property));
  } else if (name == "BorderWidth") {
    control.SetBorderWidth(static_cast<int>(Number(property)));
  } else if (name == "TabOrder" || name == "Ctl3D" || name == "ParentCtl3D") {
    // Kept for the record: the controls here take no keyboard focus by Tab
    // and are drawn flat.
    if (name == "TabOrder")
      Number(property);
    else
      Boolean(property);
  } else {
    return false;
  }
  return true;
}

bool Reader::ReadForm(const Property& property) const {
  const AnsiString& name = property.name;
  if (ReadWinControl(form_, property) || ReadFont(form_.Font, property)) return true;
  if (name == "ClientWidth") {
    form_.SetClientWidth(static_cast<int>(Number(property)));
  } else if (name == "ClientHeight") {
    form_.SetClientHeight(static_cast<int>(Number(property)));
  } else if (name == "BorderStyle") {
    Choice(property, {{"bsNone", 0}});  // the only kind of form made here
  } else if (name == "Caption") {
    form_.SetCaption(String(property));
  } else if (name == "Position") {
    form_.Position = static_cast<TPosition>(
        Choice(property, {{"poDesigned", poDesigned}, {"poDesktopCenter", poDesktopCenter}}));
  } else if (name == "OnDestroy") {
    form_.OnDestroy = Handler(property);
  } else if (name == "PixelsPerInch" || name == "TextHeight") {
    Number(property);  // read by the scaling
  } else if (name == "OldCreateOrder") {
    Boolean(property);
  } else {
    return false;
  }
  return true;
}

bool Reader::ReadPanel(TPanel& panel, const Property& property) const {
  if (ReadWinControl(panel, property)) return true;
  if (property.name == "BevelOuter") {
    Choice(property, {{"bvNone", 0}});  // panels here are flat
    return true;
  }
  return false;
}

bool Reader::ReadImage(TImage& image, const Property& property) const {
  const AnsiString& name = property.name;
  if (ReadControl(image, property)) return true;
  if (name == "Picture") {
    Picture(image.Picture(), property);
    image.PictureChanged();
  } else if (name == "Stretch") {
    image.SetStretch(Boolean(property));
  } else if (name == "Transparent") {
    image.Transparent = Boolean(property);
  } else if (name == "AutoSize") {
    image.SetAutoSize(Boolean(property));
  } else {
    return false;
  }
  return true;
}

bool Reader::ReadLabel(TLabel& label, const Property& property) const {
  const AnsiString& name = property.name;
  if (ReadControl(label, property) || ReadFont(label.Font, property)) return true;
  if (name == "Caption") {
    label.SetCaption(String(property));
  } else if (name == "ParentFont") {
    label.ParentFont = Boolean(property);
  } else if (name == "Transparent") {
    Choice(property, {{"true", 1}});  // labels here are always transparent
  } else {
    return false;
  }
  return true;
}

bool Reader::ReadButton(TEzRgnBtn& button, const Property& property) const {
  const AnsiString& name = property.name;
  if (ReadWinControl(button, property) || ReadFont(button.Font, property)) return true;
  TPicture* picture = nullptr;
  if (name == "PicIdle") {
    picture = &button.PicIdle;
  } else if (name == "PicUp") {
    picture = &button.PicUp;
  } else if (name == "PicDown") {
    picture = &button.PicDown;
  } else if (name == "PicDsbld") {
    picture = &button.PicDsbld;
  } else if (name == "Enabled") {
    button.SetEnabled(Boolean(property));
  } else if (name == "PaintMode") {
    Choice(property, {{"pmNormal", 0}});  // pictures are drawn unscaled and opaque
  } else {
    return false;
  }
  if (picture) {
    Picture(*picture, property);
    button.PicturesChanged();
  }
  return true;
}

bool Reader::ReadBrowser(TCppWebBrowser& browser, const Property& property) const {
  return ReadWinControl(browser, property);
}

// Makes a component of a class the definitions may use and reads its
// properties; false for an unknown class.
template <class Control>
TControl* Reader::Make(const TDefinitionNode& node,
                       bool (Reader::*read)(Control&, const Property&) const) {
  auto* control = new Control(&form_);
  control->SetName(node.name);
  for (const Property& property : node.properties) {
    if (!(this->*read)(*control, property))
      Unknown(property, node.name + " (" + node.className + ")");
  }
  return control;
}

TComponent* Reader::Create(const TDefinitionNode& node, TWinControl& parent) {
  const AnsiString& kind = node.className;
  // Properties first, so that the window (made when the control joins its
  // parent) is made with them.
  TControl* control = nullptr;
  if (kind == "TPanel") {
    control = Make(node, &Reader::ReadPanel);
  } else if (kind == "TImage") {
    control = Make(node, &Reader::ReadImage);
  } else if (kind == "TLabel") {
    control = Make(node, &Reader::ReadLabel);
  } else if (kind == "TEzRgnBtn") {
    control = Make(node, &Reader::ReadButton);
  } else if (kind == "TCppWebBrowser") {
    control = Make(node, &Reader::ReadBrowser);
  } else {
    Fail(node.line, AnsiString("unknown class \"") + kind + "\" of " + node.name);
  }
  control->SetParent(&parent);
  return control;
}

void Reader::Bind(const TDefinitionNode& node, TComponent* component) {
  for (size_t i = 0; i < published_.size(); ++i) {
    const TPublished& entry = published_[i];
    if (!entry.BindField || !(node.name == AnsiString(entry.Name))) continue;
    if (!entry.BindField(form_, component)) {
      Fail(node.line,
           AnsiString("field ") + node.name + " of " + source_ + " is not a " + node.className);
    }
    bound_[i] = true;
    return;
  }
  Fail(node.line, AnsiString("component ") + node.name + " has no field in " + source_);
}

void Reader::ReadComponent(const TDefinitionNode& node, TWinControl& parent) {
  TComponent* component = Create(node, parent);
  Bind(node, component);
  if (node.children.empty()) return;
  auto* container = dynamic_cast<TWinControl*>(component);
  if (!container) Fail(node.line, node.name + " cannot hold other components");
  for (const TDefinitionNode& child : node.children) ReadComponent(child, *container);
}

// As designed for `PixelsPerInch` and a text height of `TextHeight`: the
// form's font follows the screen's pixels per inch, and when it then measures
// another text height here, every position and size follows in proportion.
void Reader::Scale(const TDefinitionNode& root) {
  long designDpi = 0, designTextHeight = 0;
  for (const Property& property : root.properties) {
    if (property.name == "PixelsPerInch") designDpi = property.value.number;
    if (property.name == "TextHeight") designTextHeight = property.value.number;
  }
  if (designDpi <= 0 || designTextHeight <= 0) return;
  int screenDpi = GetDeviceCaps(ScopedGetDC(nullptr).get(), LOGPIXELSY);
  if (screenDpi != designDpi) form_.Font.Height = MulDiv(form_.Font.Height, screenDpi, designDpi);
  int m = form_.Font.TextHeight(), d = static_cast<int>(designTextHeight);
  if (m == d || m <= 0) return;

  auto scale = [m, d](int value) { return MulDiv(value, m, d); };
  form_.SetClientWidth(scale(form_.ClientWidth()));
  form_.SetClientHeight(scale(form_.ClientHeight()));
  for (int i = 0; i < form_.ComponentCount(); ++i) {
    auto* control = dynamic_cast<TControl*>(form_.Components(i));
    if (!control) continue;
    int left = scale(control->Left()), top = scale(control->Top());
    control->SetBounds(left, top, scale(control->Left() + control->Width()) - left,
                       scale(control->Top() + control->Height()) - top);
    if (auto* label = dynamic_cast<TLabel*>(control); label && !label->ParentFont) {
      label->Font.Height = scale(label->Font.Height);
    }
    // Picture buttons keep the size of their pictures.
    if (auto* button = dynamic_cast<TEzRgnBtn*>(control)) button->PicturesChanged();
  }
}

void Reader::Read(const TDefinitionNode& root) {
  if (!(root.className == AnsiString(source_))) {
    Fail(root.line, AnsiString("the definition is of ") + root.className + ", not " + source_);
  }
  form_.SetName(root.name);
  for (const Property& property : root.properties) {
    if (!ReadForm(property)) Unknown(property, root.name + " (" + root.className + ")");
  }
  for (const TDefinitionNode& child : root.children) ReadComponent(child, form_);
  for (size_t i = 0; i < published_.size(); ++i) {
    if (published_[i].BindField && !bound_[i]) {
      Fail(root.line, AnsiString("field ") + published_[i].Name + " of " + source_ +
                          " has no component in the definition");
    }
  }
  Scale(root);
  form_.AlignControls();
  form_.ApplyPosition();
  // The windows come last, each made once in its final place: made with the
  // components, every one would be moved again by the scaling, the alignment
  // and the form's position, and under Wine each move of a window costs.
  form_.Handle();
}

}  // namespace

void ReadFormDefinitionText(TForm& form, const char* className, const std::string& text,
                            std::span<const TPublished> published) {
  Reader(form, className, published).Read(ParseFormDefinition(text, className));
}

void ReadFormDefinition(TForm& form, const char* className, std::span<const TPublished> published) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, className, MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!data)
    throw Exception(AnsiString("Form definition ") + className + " not found in the program");
  ReadFormDefinitionText(form, className, std::string(data, SizeofResource(module, resource)),
                         published);
}
