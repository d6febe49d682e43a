#include "resources/ResourceProblems.h"

#include "platform/Platform.h"
#include "resources/EmbeddedAssets.h"

#include <mutex>
#include <set>
#include <utility>

namespace resources {

namespace {

// Sounds are loaded from worker-free code, but pictures and sounds may be asked for from tests on
// several threads; a small lock keeps the record whole.
std::mutex& problemsLock() {
    static std::mutex lock;
    return lock;
}

std::set<std::pair<ResourceKind, std::wstring>>& reported() {
    static std::set<std::pair<ResourceKind, std::wstring>> names;
    return names;
}

std::wstring describe(ResourceKind kind, const std::wstring& name) {
    const std::wstring quoted = L"«" + name + L"»";
    switch (kind) {
    case ResourceKind::Picture:
        return L"Картинка " + quoted + L" не загружена";
    case ResourceKind::Sound:
        return L"Звук " + quoted + L" не загружен";
    case ResourceKind::Clip:
        return L"Видеоролик " + quoted + L" повреждён";
    }
    return quoted;
}

} // namespace

bool reportResourceProblem(ResourceKind kind, const std::wstring& name, std::string_view reason) {
    {
        const std::lock_guard<std::mutex> guard(problemsLock());
        if (!reported().emplace(kind, name).second)
            return false;
    }
    platform::debugOutput(describe(kind, name) + L": " + platform::utf8ToWide(std::string(reason)) +
                          L"\n");
    return true;
}

bool resourceFailedBefore(ResourceKind kind, const std::wstring& name) {
    const std::lock_guard<std::mutex> guard(problemsLock());
    return reported().count({kind, name}) != 0;
}

std::wstring embeddedAssetNameOf(const void* data) {
    const auto* byte = static_cast<const std::uint8_t*>(data);
    for (const EmbeddedAsset& asset : embeddedAssets()) {
        if (!asset.bytes.empty() && byte >= asset.bytes.data() &&
            byte < asset.bytes.data() + asset.bytes.size())
            return platform::utf8ToWide(std::string(asset.name));
    }
    return {};
}

} // namespace resources
