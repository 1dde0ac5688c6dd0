#pragma once
// Verification of one file against a typed digest (modes 2 and 3 of Hash).

// algorithm: 0 MD5, anything else SHA-1. pathList is the caller's list, untrimmed: any line feed
// in it is refused as more than one file; null counts as no file.
void VerifyFileDigest(const char* pathList, int algorithm);
