#pragma once
// What is fixed of the mail client Quenmar32's interface: the names the program
// looks for and the texts it sends. Texts are Shift-JIS bytes.

#include <string_view>

namespace client {

// Presence test: a top-level window of this class.
inline constexpr std::string_view kClientWindowClass = "Quenmar32Class";

// DDE execute commands go to this service and topic, one conversation each.
inline constexpr std::string_view kDdeService = "QUENMAR32";
inline constexpr std::string_view kDdeTopic = "*";

// The titles of the client's dialogs that the program brings to the front, and the
// account's trash folder, are in client/ja_texts.txt.

// The account's "Account.ini" value that makes the client ask for a template
// or destination before a new mail: key SelTemplate of section [Property].
inline constexpr std::string_view kAccountPropertySection = "Property";
inline constexpr std::string_view kSelTemplateKey = "SelTemplate";

// A header line holding this name (compared in lower case) marks a message
// whose body needs no code conversion.
inline constexpr std::string_view kSignatureHeader = "x-quenmar-signature:";

}  // namespace client
