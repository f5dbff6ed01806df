#pragma once
// The text of a form definition, parsed. The format:
//
//   # a comment, to the end of the line
//   FormMain: TFormMain {
//     Caption = "text"          strings: UTF-8 in the file, code page 936 bytes here
//     Color = $7D7D7D           numbers: decimal or $hex, may be negative
//     Position = poDesktopCenter  identifiers: enumerations, colours, booleans, handlers
//     Font.Height = -12         dotted names address a part of the component
//     PanelTitle: TPanel { ... }  a component, its children nested inside it
//   }

#include <string>
#include <vector>

#include "ui/AnsiString.h"

struct TDefinitionValue {
  enum Kind { Number, String, Identifier } kind = Number;
  long number = 0;
  AnsiString text;  // the string or the identifier
};

struct TDefinitionProperty {
  AnsiString name;
  TDefinitionValue value;
  int line = 0;
};

struct TDefinitionNode {
  AnsiString name;
  AnsiString className;
  int line = 0;
  std::vector<TDefinitionProperty> properties;
  std::vector<TDefinitionNode> children;
};

// Parses a whole definition (one root component); throws Exception naming
// `source` and the line of the first error.
TDefinitionNode ParseFormDefinition(const std::string& text, const AnsiString& source);
