#pragma once

#include <QString>

#include <openssl/types.h>

namespace testsupport {

// A certificate authority made once per test process (EC P-256, valid for a day).
struct TestAuthority {
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
};

// The authority a test client is told to trust; its certificate is also in a PEM file.
const TestAuthority& trustedAuthority();
QString trustedAuthorityFile();
// An authority nobody trusts.
const TestAuthority& strangerAuthority();

// A fresh key and a server certificate for altNames ("DNS:a,DNS:b") issued by `issuer`.
// The caller frees both.
bool issueServerCertificate(const TestAuthority& issuer, const char* commonName, const char* altNames,
                            X509** cert, EVP_PKEY** key);

// A fresh key and a self-signed server certificate for altNames ("IP:127.0.0.1"), written
// as PEM files: right name and address, but no authority anyone trusts stands behind it.
bool writeSelfSignedCertificate(const char* commonName, const char* altNames, const QString& certFile,
                                const QString& keyFile);

} // namespace testsupport
