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

// Titles of the client's dialogs that the program brings to the front:
// "宛先の指定" after a new mail when the account's SelTemplate is 1,
// "メール返信の設定" after a reply or a forward.
inline constexpr std::string_view kSelectDestinationTitle = "\x88\xb6\x90\xe6\x82\xcc\x8e\x77\x92\xe8";
inline constexpr std::string_view kReplySettingsTitle =
    "\x83\x81\x81\x5b\x83\x8b\x95\xd4\x90\x4d\x82\xcc\x90\xdd\x92\xe8";

// The account's "Account.ini" value that makes the client ask for a template
// or destination before a new mail: key SelTemplate of section [Property].
inline constexpr std::string_view kAccountPropertySection = "Property";
inline constexpr std::string_view kSelTemplateKey = "SelTemplate";

// The account's trash folder: "ごみ箱".
inline constexpr std::string_view kTrashFolderName = "\x82\xb2\x82\xdd\x94\xa0";

// A header line holding this name (compared in lower case) marks a message
// whose body needs no code conversion.
inline constexpr std::string_view kSignatureHeader = "x-quenmar-signature:";

}  // namespace client
