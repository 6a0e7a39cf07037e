#pragma once

#include <QObject>
#include <QSet>

// Which screen the program shows and which long operations are running.
class KyViewMode : public QObject
{
    Q_OBJECT

public:
    // Of int: a number from outside (a stored setting, a signal argument) may be no mode at all,
    // which setViewMode refuses; without a fixed type such a value is not even a valid EViewMode.
    enum EViewMode : int {
        kView_Opening = 0,
        kView_Capture = 1,
        kView_Library = 2,
        kView_LibraryRecent = 3,
        kView_Settings = 4,
        kView_PreExposing = 5,
        kView_Exposing = 6,
        kView_Semiauto = 7,
        kView_IncrementImage = 8,
        kView_Image = 9,
        kView_AnalysisLane = 10,
        kView_AnalysisBG = 11,
        kView_AnalysisBand = 12,
        kView_AnalysisMW = 13,
        kView_AnalysisNormalize = 14,
        kView_AnalysisSummary = 15,
        kView_Save = 16,
        kView_Focus = 17,
        kView_Sleep = 18,
        kView_Error = 19,
        kView_ServiceOnError = 20,
    };
    Q_ENUM(EViewMode)

    enum EBusyReason : int {
        kBusy_Saving = 2,
        kBusy_FolderScan = 5,
        kBusy_Opening = 9,
        kBusy_ImageJob = 11,
        kBusy_Background = 12,
        kBusy_Printing = 19,
    };
    Q_ENUM(EBusyReason)

    // Holds a busy reason for its own lifetime.
    class BusyGuard
    {
    public:
        explicit BusyGuard(EBusyReason inReason);
        ~BusyGuard();
        BusyGuard(const BusyGuard &) = delete;
        BusyGuard &operator=(const BusyGuard &) = delete;

    private:
        EBusyReason reason;
    };

    static KyViewMode *instance();

    EViewMode viewMode() const { return mode; }
    bool isBusy() const { return !busy.isEmpty(); }

    void setViewMode(EViewMode inMode, bool inForce = false, bool inOption = false);
    void returnFromSleep();
    void returnFromSave();

    // Sets the busy reasons aside (and leaves the busy view), and brings them back.
    void parkBusy();
    void restoreBusy();

    // Hides the busy view of the widget library. The widget library installs the hider, so that this
    // object does not depend on widgets; without one nothing happens.
    using BusyViewHider = void (*)();
    static void setBusyViewHider(BusyViewHider inHider);
    static void hideBusyView();

    static const char *modeName(int inMode);

    int lastMain() const { return lastMainMode; }
    int sleepReturn() const { return sleepReturnMode; }
    int saveReturn() const { return saveReturnMode; }
    bool isRecent() const { return recent; }
    bool lastOption() const { return option; }
    QSet<int> busyReasons() const { return busy; }

public slots:
    void setBusy(KyViewMode::EBusyReason inReason);
    void unsetBusy(KyViewMode::EBusyReason inReason);

signals:
    void viewModeChanged(KyViewMode::EViewMode viewMode);
    void toBusyView();
    void resetBusyView();

protected:
    // Tests make fresh objects; the program uses instance() alone.
    KyViewMode();
    ~KyViewMode() override;

private:
    EViewMode mode = kView_Opening;
    int lastMainMode = kView_Capture;
    int sleepReturnMode = kView_Capture;
    int saveReturnMode = kView_Image;
    bool option = false;
    bool recent = false;
    QSet<int> busy;
    QSet<int> parked;
};
