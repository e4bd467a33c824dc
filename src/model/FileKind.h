#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tolvex {

// What a file is, judged by its extension alone. Raw values are stored in the scan archive.
enum class FileKind : uint8_t { document, image, video, audio, archive, diskImage, code, application, other };

inline constexpr std::array<FileKind, 9> kAllFileKinds = {
    FileKind::document,  FileKind::image, FileKind::video,       FileKind::audio, FileKind::archive,
    FileKind::diskImage, FileKind::code,  FileKind::application, FileKind::other};

const char* title(FileKind kind);

// 0…8 give the kind of that index; anything larger gives none.
std::optional<FileKind> fileKindFromRaw(unsigned raw);

// The kind of a file from its name bytes (the text after the last dot that is not the first byte,
// at most 12 bytes, looked up in lower case).
FileKind kindForFileName(const char* name, size_t length);
inline FileKind kindForFileName(const std::string& name) { return kindForFileName(name.data(), name.size()); }

// The number of extensions known (183).
size_t extensionKindCount();

}  // namespace tolvex
