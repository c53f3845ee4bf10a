// The tweak editor: one tweak record in a modal dialog. The record changes only at a successful OK.
#pragma once

#include <string>

#include "platform/Dialog.h"
#include "platform/ListBox.h"

class CTweakInfo;

class CTweakInfoDlg : public CDialog {
    using ThisClass = CTweakInfoDlg;

public:
    // tweak: the record to edit, or null to create a new one when the dialog opens. The editor
    // never destroys a record; after DoModal the caller owns one that the editor created.
    explicit CTweakInfoDlg(CTweakInfo* tweak);
    ~CTweakInfoDlg() override;

    CTweakInfo* m_pTweak;
    IconHandle m_hIcon;
    CListBox m_listFilters;
    // The profile whose set the tweak belongs to (empty: the global one), for "Testen...".
    std::string m_strProfile;

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    int OnInitDialog() override;
    void OnOK() override;

    void FillControls();
    // Puts what the controls hold into tweak; false, with the user told, for a time limit that
    // cannot be stored.
    bool TakeControls(CTweakInfo& tweak);
    void OnTest();
    void OnDestroy();
    void OnHelp();
    void OnSelChangeFilters();
    void OnRemoveAllFilters();
    void OnRemoveFilter();
    void OnBrowse();
    void OnAddFilter();
    void OnChangeFilterText();
};
