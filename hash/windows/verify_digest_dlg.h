#pragma once
// The digest entry dialog: asks for the digest a file is expected to have.

#include "framework/dialog.h"
#include "hash/core/digest_algorithm.h"

namespace corvane {

class CVerifyDigestDlg : public CDialog {
public:
  explicit CVerifyDigestDlg(CWnd* parent = nullptr);

  DigestAlgorithm m_nAlgorithm = DigestAlgorithm::Md5; // the length the typed digest must have
  CString m_strDigest; // the accepted text, lower-cased; empty until OK succeeds
  CEdit m_digestEdit;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  // Accepts only a digest of the algorithm's length made of hexadecimal digits; anything else is
  // pointed out and the dialog stays open with the text as typed.
  void OnOK() override;
};

} // namespace corvane
