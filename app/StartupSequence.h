#pragma once

#include <functional>
#include <memory>
#include <string>

class CVelaPfcSystem;
class wxDialog;

// Process-wide values made at start-up. PfcSystem lives until the process ends; SkinTexture is
// the texture the user last chose (empty when none was saved), for the main window's skin.
extern CVelaPfcSystem* PfcSystem;
extern std::string SkinTexture;

// The one-shot start-up of the program: the single-instance rule, the skin engine's set-up,
// the catalog check, the saved appearance and the run of the main window. The application object
// runs it once; tests run it in-process with their own instance finder and main window.
class CStartupSequence {
public:
    enum class Outcome {
        kOtherInstance,  // another instance runs and was asked to come forward
        kDataFailure,    // the catalog is missing, does not open or is damaged; the user was told
        kRan,            // the main window ran and has closed
    };

    // Returns true when another instance runs (having asked it to come forward).
    using InstanceFinder = std::function<bool(const std::string& exeName)>;
    using DialogFactory = std::function<std::unique_ptr<wxDialog>()>;

    static constexpr const char* kSkinPassword = "7QOVANETHRIM";
    static constexpr const char* kDataFailureCaption = "佐贝乐.儿童游戏";
    // How long start-up waits for another program's lock on the catalog to clear.
    static constexpr int kLockWaitMs = 5000;

    // exeName names the instance marker: the executable's base name without extension.
    explicit CStartupSequence(std::string exeName);
    virtual ~CStartupSequence();

    // By default the X11 rule of platform/x11 and the real main window.
    void SetInstanceFinder(InstanceFinder finder);
    void SetDialogFactory(DialogFactory factory);

    Outcome Run();

    // The executable's base name without folder and extension, from /proc/self/exe.
    static std::string ExecutableName();

private:
    // Reads the saved appearance into SkinTexture and the colour shift; false when the
    // catalog is missing, does not open or is damaged. A catalog that stays locked by another
    // program gives the defaults.
    bool ReadSavedAppearance(int* hue, int* saturation, int* brightness);
    void ReportDataFailure();

    std::string m_strExeName;
    InstanceFinder m_instanceFinder;
    DialogFactory m_dialogFactory;
};
