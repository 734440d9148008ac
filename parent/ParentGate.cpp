#include "parent/ParentGate.h"

#include "app/CatalogFiles.h"
#include "app/SettingsFiles.h"
#include "parent/DlgPinPrompt.h"
#include "parent/ParentSettingsFile.h"
#include "parent/PinStore.h"
#include "parent/SystemClock.h"
#include "parent/WalledGarden.h"
#include "platform/HostConfig.h"
#include "platform/MessageBox.h"

namespace zorbel::parent {

namespace {
std::string LockedText(std::int64_t seconds) {
    return "密码输错太多次啦，请休息一下，" + std::to_string(seconds) + " 秒后再试吧！";
}
}  // namespace

std::string ParentGate::SettingsPath() {
    return ParentSettingsFile::DefaultPath();
}

bool ParentGate::PinIsSet() {
    SystemClock clock;
    return PinStore(SettingsPath(), clock).HasPin();
}

std::string ParentGate::MovieContentRules(const std::string& ownScheme) {
    const HostConfig hosts = HostConfig::Load(files::LocateSettings().ReadOrder());
    return WalledGarden({hosts.webSite, hosts.webServer, hosts.contentServer})
        .ContentRules(ownScheme);
}

bool ParentGate::MayNavigate(const std::string& address) {
    if (!PinIsSet()) return true;
    const HostConfig hosts = HostConfig::Load(files::LocateSettings().ReadOrder());
    return WalledGarden({hosts.webSite, hosts.webServer, hosts.contentServer}).Allows(address);
}

bool ParentGate::Allow(wxWindow* owner, const std::string& what) {
    SystemClock clock;
    PinStore store(SettingsPath(), clock);
    if (!store.HasPin()) return true;
    if (const std::int64_t left = store.LockSecondsLeft(); left > 0) {
        AppMessageBox(owner, LockedText(left), kCaption, kMbIconInformation);
        return false;
    }
    const auto pin =
        CDlgPinPrompt::Ask(owner, "小朋友，" + what + "要请爸爸妈妈来帮忙哦～\n请输入家长密码：");
    if (!pin) return false;
    switch (store.Check(*pin)) {
        case PinCheck::kRight:
        case PinCheck::kNoPin:
            return true;
        case PinCheck::kWrong: {
            const std::int64_t left = store.LockSecondsLeft();
            AppMessageBox(owner, left > 0 ? LockedText(left) : kWrongText, kCaption,
                          kMbIconInformation);
            return false;
        }
        case PinCheck::kLocked:
            AppMessageBox(owner, LockedText(store.LockSecondsLeft()), kCaption, kMbIconInformation);
            return false;
    }
    return false;
}

}  // namespace zorbel::parent
