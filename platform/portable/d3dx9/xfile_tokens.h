// The tokens of an X file's body, text or binary, as the rewrite (xfile_rewrite.h) walks them:
// objects are the same words, GUIDs and braces in both forms, so one rewrite serves both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Data: the values that are no part of an object's header (numbers, lists, a template's
// member keywords). Template: the binary form's `template` keyword (a Word in text).
enum class XToken { Word, String, Guid, Open, Close, Comma, Semicolon, Template, Data };

struct XFileToken {
    XToken kind;
    std::size_t begin, end;  // in the file's bytes
    std::size_t name;  // where a Word's name starts: `begin` in text, past its count in binary
};

// The tokens after the 16-byte header; false on an open string or GUID.
bool TokeniseXFileText(const std::vector<std::uint8_t>& data, std::vector<XFileToken>& tokens);
// Appends tokens [first, end) as Assimp's text reader takes them (see xfile_text.cpp).
void AppendXFileText(const std::vector<std::uint8_t>& data, const std::vector<XFileToken>& tokens,
                     std::size_t first, std::size_t end, std::string& out);

// The tokens after the 16-byte header of a binary file whose floats are `floatSize` bytes; false on
// an unknown token or one that runs past the end.
bool TokeniseXFileBinary(const std::vector<std::uint8_t>& data, std::size_t floatSize,
                         std::vector<XFileToken>& tokens);

// A compressed file (tzip, bzip: MSZIP blocks) replaced by its text or binary form; false when a
// block does not inflate to the size it gives or the whole to more than the file declares.
bool DecompressXFile(std::vector<std::uint8_t>& data);
