// The tweak list: the tweaks of one profile, or of the global configuration, in a modal dialog.
// Changes stay in memory until OK replaces the stored set by the list as shown.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "config/KeySnapshot.h"
#include "config/TweakConfig.h"
#include "platform/Dialog.h"
#include "platform/ListBox.h"

class CTweakInfo;

class CZTTrevanelDlg : public CDialog {
    using ThisClass = CZTTrevanelDlg;

public:
    // profileName null or empty: the global configuration. Loads the set from the registry.
    explicit CZTTrevanelDlg(const char* profileName);
    ~CZTTrevanelDlg() override;

    // The set's profile and key. It holds the records only while OK saves them; the rest of the
    // time they belong to the dialog (m_records).
    CTweakConfig m_config;
    // Records taken out of the list during this run; destroyed at OK.
    std::vector<CTweakInfo*> m_arrRemoved;
    std::string m_strProfileName;
    IconHandle m_hIcon;
    CListBox m_listTweaks;

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    int OnInitDialog() override;
    void OnOK() override;

    void FillList();
    void UpdateButtons();
    // OK carries the consent shield while the registry refuses this process the store.
    void UpdateOkShield();
    void OnDestroy();
    void OnHelp();
    void OnMoveTweak(const DialogNotify& notify, intptr_t* pResult);
    void OnRemoveAll();
    void OnRemove();
    void OnEdit();
    void OnAdd();

private:
    // Loads the set, and what is stored at its key, into a fresh run of the list.
    void LoadRecords();
    // A set not read whole: OK is disabled, and the user told why.
    void RefuseOkIfUnread();
    // For a profile without a set of its own that this user's host renamed from a name whose set
    // could not follow: asks, once, whether the list takes that set (m_strTakenFrom).
    void OfferRenamedSet();
    // The profile whose set the list took over, removed at OK in the same write where it still
    // holds m_takenParts; else empty.
    std::string m_strTakenFrom;
    KeySnapshot m_takenParts;

    // What the set's key held when the list was loaded, for OK to replace only that; unused
    // when it could not be read.
    KeySnapshot m_loaded;
    bool m_bLoadedRead = false;
    // Every record of this run, loaded or added: the one owner. The rows' item data and
    // m_arrRemoved point into it.
    std::vector<std::unique_ptr<CTweakInfo>> m_records;
};

// Tells the user that a rename's set stayed under the old name (RenameProfileKey false).
void TellRenameNotMoved(const char* newName);

// Runs the tweak list modally for profileName (null or empty: the global configuration) and
// returns how it ended: IDOK after a saved OK, IDCANCEL otherwise.
int RunTweakListDialog(const char* profileName);
