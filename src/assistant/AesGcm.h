#pragma once

#include <QByteArray>
#include <optional>

// AES-256-GCM sealed boxes in their combined form: the 12-byte nonce, the ciphertext (as long as
// the plaintext), then the 16-byte tag. No associated data.
namespace AesGcm {

constexpr int kKeySize = 32;
constexpr int kNonceSize = 12;
constexpr int kTagSize = 16;

// Nothing when the key is not 32 bytes or the nonce not 12; a null nonce means a fresh random one.
std::optional<QByteArray> seal(const QByteArray& key, const QByteArray& plaintext, const QByteArray& nonce = {});
// Nothing when the box is shorter than nonce and tag, or its tag does not verify under the key.
std::optional<QByteArray> open(const QByteArray& key, const QByteArray& box);

} // namespace AesGcm
