#pragma once
// The digest entry dialog: asks for the digest a file is expected to have.

#include "framework/dialog.h"

class CVerifyDigestDlg : public CDialog {
public:
  explicit CVerifyDigestDlg(CWnd* parent = nullptr);

  int m_nAlgorithm = 0; // 0 MD5, 1 SHA-1: the length the typed digest must have
  CString m_strDigest;  // the accepted text, lower-cased; empty until OK succeeds
  CEdit m_digestEdit;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  // Accepts only a digest of the algorithm's length made of hexadecimal digits; anything else is
  // pointed out and the dialog stays open with the text as typed.
  void OnOK() override;
};
