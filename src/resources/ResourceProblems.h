#pragma once
// A picture, sound or clip that cannot be used is named on standard error once, with the reason,
// however often it is asked for afterwards.

#include <string>
#include <string_view>

namespace resources {

enum class ResourceKind { Picture, Sound, Clip };

// Writes "Картинка «<name>» не загружена: <reason>" (or the sound's or clip's wording) the first
// time this kind and name fail, and remembers them. Returns whether this was the first time.
bool reportResourceProblem(ResourceKind kind, const std::wstring& name, std::string_view reason);

// Whether this kind and name failed before (and were reported).
bool resourceFailedBefore(ResourceKind kind, const std::wstring& name);

// The name of the embedded asset whose bytes contain `data`, for resources handed over as bare
// bytes; empty when it is none of them.
std::wstring embeddedAssetNameOf(const void* data);

} // namespace resources
