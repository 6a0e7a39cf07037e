#include "core/kyviewmode.h"

#include "platform/logcategories.h"

#include <QDebug>

#include <atomic>

namespace {

constexpr const char *kModeNames[] = {
    "opening",          "capture",         "library",        "library-recent",
    "settings",         "pre-exposing",    "exposing",       "semiauto",
    "increment image",  "image",           "analysis lane",  "analysis BG",
    "analysis Band",    "Analysis MW",     "analysis normalize", "analysis summary",
    "save",             "focus",           "sleep",          "error",
    "service on error",
};
constexpr int kModeCount = int(sizeof(kModeNames) / sizeof(kModeNames[0]));

std::atomic<KyViewMode::BusyViewHider> g_hider{nullptr};

} // namespace

KyViewMode *KyViewMode::instance()
{
    static KyViewMode viewMode;
    return &viewMode;
}

KyViewMode::KyViewMode() = default;

KyViewMode::~KyViewMode() = default;

const char *KyViewMode::modeName(int inMode)
{
    return inMode >= 0 && inMode < kModeCount ? kModeNames[inMode] : nullptr;
}

void KyViewMode::setViewMode(EViewMode inMode, bool inForce, bool inOption)
{
    const char *name = modeName(inMode);
    if (!name) {
        qCDebug(lcCore, "-set view mode: %d is not a view mode; ignored", int(inMode));
        return;
    }
    qCDebug(lcCore, "-set view mode: %s", name);
    option = inOption;
    if (!inForce && inMode == mode && inMode != kView_Exposing)
        return;

    EViewMode effective = inMode;
    if (inMode == kView_LibraryRecent) {
        effective = kView_Library;
        recent = true;
    } else {
        recent = false;
    }

    if (effective == kView_Sleep) {
        sleepReturnMode = (mode == kView_PreExposing || mode == kView_Exposing) ? int(kView_Capture)
                                                                                 : int(mode);
    } else if (effective == kView_Save) {
        saveReturnMode = mode;
    } else if (effective == kView_Capture || effective == kView_Library) {
        lastMainMode = inMode;
    }

    mode = effective;
    emit viewModeChanged(effective);
}

void KyViewMode::returnFromSleep()
{
    option = false;
    setViewMode(EViewMode(sleepReturnMode), false, false);
}

void KyViewMode::returnFromSave()
{
    option = false;
    setViewMode(EViewMode(saveReturnMode), false, false);
}

void KyViewMode::setBusy(EBusyReason inReason)
{
    qCDebug(lcCore, "set busy: %d", int(inReason));
    busy.insert(inReason);
    emit toBusyView();
}

void KyViewMode::unsetBusy(EBusyReason inReason)
{
    qCDebug(lcCore, "unset busy: %d", int(inReason));
    if (busy.isEmpty())
        return;
    busy.remove(inReason);
    if (busy.isEmpty())
        emit resetBusyView();
}

void KyViewMode::parkBusy()
{
    parked = busy;
    busy.clear();
    emit resetBusyView();
}

void KyViewMode::restoreBusy()
{
    busy = parked;
    if (!busy.isEmpty())
        emit toBusyView();
}

void KyViewMode::setBusyViewHider(BusyViewHider inHider)
{
    g_hider.store(inHider);
}

void KyViewMode::hideBusyView()
{
    if (BusyViewHider hider = g_hider.load())
        hider();
}

KyViewMode::BusyGuard::BusyGuard(EBusyReason inReason)
    : reason(inReason)
{
    KyViewMode::instance()->setBusy(reason);
}

KyViewMode::BusyGuard::~BusyGuard()
{
    KyViewMode::instance()->unsetBusy(reason);
}
