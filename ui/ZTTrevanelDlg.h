// The tweak list: the tweaks of one profile, or of the global configuration, in a modal dialog.
// Changes stay in memory until OK replaces the stored set by the list as shown.
#pragma once

#include <string>
#include <vector>

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
    void OnDestroy();
    void OnHelp();
    void OnMoveTweak(const DialogNotify& notify, intptr_t* pResult);
    void OnRemoveAll();
    void OnRemove();
    void OnEdit();
    void OnAdd();

private:
    // Records that Add created during this run. Until OK hands them to m_config the dialog owns
    // them; the destructor destroys those that m_config does not hold.
    std::vector<CTweakInfo*> m_arrAdded;
};

// Runs the tweak list modally for profileName (null or empty: the global configuration) and
// returns how it ended: IDOK after a saved OK, IDCANCEL otherwise.
int RunTweakListDialog(const char* profileName);
