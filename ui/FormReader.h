#pragma once
// Reads a form's definition from the program's resources into the form: the
// components in order with their properties and pictures, each bound to the
// form's field of the same name, handlers bound by name, and every position
// and size scaled when the form's font measures another text height here
// than the definition stores.
//
// A form class lists what the reader may bind, then reads its definition
// first thing in its constructor:
//
//   const TPublished kPublished[] = {
//       PublishedField<&TFormMain::PanelTitle>("PanelTitle"),
//       PublishedHandler<&TFormMain::FormDestroy>("FormDestroy"),
//   };
//   ReadFormDefinition(*this, "TFormMain", kPublished);

#include <span>
#include <type_traits>

#include "ui/Form.h"

struct TPublished {
  const char* Name;
  // A field: stores the component when it is of the field's class.
  bool (*BindField)(TForm& form, TComponent* component);
  // A handler: the form's method as a click or notify event.
  TNotifyEvent (*Handler)(TForm& form);
};

namespace form_reader_detail {
template <class>
struct MemberTraits;
template <class Form, class Component>
struct MemberTraits<Component * Form::*> {
  using FormType = Form;
  using ComponentType = Component;
};
template <class Form>
struct MemberTraits<void (Form::*)(TObject*)> {
  using FormType = Form;
};
}  // namespace form_reader_detail

template <auto Field>
constexpr TPublished PublishedField(const char* name) {
  using Traits = form_reader_detail::MemberTraits<decltype(Field)>;
  return TPublished{name,
                    [](TForm& form, TComponent* component) {
                      auto* typed = dynamic_cast<typename Traits::ComponentType*>(component);
                      if (!typed) return false;
                      static_cast<typename Traits::FormType&>(form).*Field = typed;
                      return true;
                    },
                    nullptr};
}

template <auto Method>
constexpr TPublished PublishedHandler(const char* name) {
  using Traits = form_reader_detail::MemberTraits<decltype(Method)>;
  return TPublished{name, nullptr, [](TForm& form) {
                      return TNotifyEvent(&static_cast<typename Traits::FormType&>(form), Method);
                    }};
}

// Reads the RCDATA resource named `className` of the program into `form`.
// Throws Exception with a message naming what is wrong: a missing definition
// or picture, an unknown class or property, a component without a field, a
// field without a component.
void ReadFormDefinition(TForm& form, const char* className, std::span<const TPublished> published);

// The same, from a definition's text (for definitions that are not resources).
void ReadFormDefinitionText(TForm& form, const char* className, const std::string& text,
                            std::span<const TPublished> published);
