#include "TestCertificates.h"

#include <QTemporaryDir>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <atomic>

namespace testsupport {

namespace {

bool addExtension(X509* cert, X509V3_CTX* context, int nid, const char* value)
{
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, context, nid, value);
    const bool ok = extension && X509_add_ext(cert, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return ok;
}

// A CA certificate when altNames is null (self-signed), else a server certificate for
// altNames, issued by `issuer` or, when that is null, signed by its own key.
X509* makeCertificate(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey,
                      const char* altNames)
{
    static std::atomic<long> serial{1000};
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), ++serial);
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), 24 * 3600);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName),
                               -1, -1, 0);
    X509_set_issuer_name(cert, issuer ? X509_get_subject_name(issuer) : name);

    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer ? issuer : cert, cert, nullptr, nullptr, 0);
    bool ok = true;
    if (!altNames) {
        ok = addExtension(cert, &context, NID_basic_constraints, "critical,CA:TRUE") &&
             addExtension(cert, &context, NID_key_usage, "critical,keyCertSign,cRLSign") &&
             addExtension(cert, &context, NID_subject_key_identifier, "hash");
    } else {
        ok = addExtension(cert, &context, NID_basic_constraints, "CA:FALSE") &&
             addExtension(cert, &context, NID_key_usage, "critical,digitalSignature") &&
             addExtension(cert, &context, NID_ext_key_usage, "serverAuth") &&
             addExtension(cert, &context, NID_subject_alt_name, altNames) &&
             (!issuer || addExtension(cert, &context, NID_authority_key_identifier, "keyid:always"));
    }
    if (!ok || X509_sign(cert, issuerKey ? issuerKey : key, EVP_sha256()) <= 0) {
        X509_free(cert);
        return nullptr;
    }
    return cert;
}

bool writePem(const QString& file, X509* cert)
{
    BIO* out = BIO_new_file(file.toLocal8Bit().constData(), "w");
    const bool ok = out && PEM_write_bio_X509(out, cert) == 1;
    BIO_free(out);
    return ok;
}

bool writePem(const QString& file, EVP_PKEY* key)
{
    BIO* out = BIO_new_file(file.toLocal8Bit().constData(), "w");
    const bool ok = out && PEM_write_bio_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    BIO_free(out);
    return ok;
}

struct Authorities {
    TestAuthority trusted;
    TestAuthority stranger;
    QTemporaryDir dir;
    QString trustedFile;

    Authorities()
    {
        trusted.key = EVP_EC_gen("P-256");
        trusted.cert = makeCertificate(trusted.key, "Mirubero Test CA", nullptr, nullptr, nullptr);
        stranger.key = EVP_EC_gen("P-256");
        stranger.cert = makeCertificate(stranger.key, "Mirubero Stranger CA", nullptr, nullptr, nullptr);
        const QString file = dir.filePath(QStringLiteral("test-ca.pem"));
        if (trusted.cert && writePem(file, trusted.cert))
            trustedFile = file;
    }
    ~Authorities()
    {
        for (TestAuthority* authority : {&trusted, &stranger}) {
            X509_free(authority->cert);
            EVP_PKEY_free(authority->key);
        }
    }
};

Authorities& authorities()
{
    static Authorities instance;
    return instance;
}

} // namespace

const TestAuthority& trustedAuthority()
{
    return authorities().trusted;
}

QString trustedAuthorityFile()
{
    return authorities().trustedFile;
}

const TestAuthority& strangerAuthority()
{
    return authorities().stranger;
}

bool issueServerCertificate(const TestAuthority& issuer, const char* commonName, const char* altNames,
                            X509** cert, EVP_PKEY** key)
{
    *cert = nullptr;
    *key = issuer.cert ? EVP_EC_gen("P-256") : nullptr;
    if (*key)
        *cert = makeCertificate(*key, commonName, issuer.cert, issuer.key, altNames);
    if (!*cert) {
        EVP_PKEY_free(*key);
        *key = nullptr;
    }
    return *cert != nullptr;
}

bool writeSelfSignedCertificate(const char* commonName, const char* altNames, const QString& certFile,
                                const QString& keyFile)
{
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = key ? makeCertificate(key, commonName, nullptr, nullptr, altNames) : nullptr;
    const bool ok = cert && writePem(certFile, cert) && writePem(keyFile, key);
    X509_free(cert);
    EVP_PKEY_free(key);
    return ok;
}

} // namespace testsupport
