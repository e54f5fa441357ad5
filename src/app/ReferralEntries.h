#pragma once
// The refer-a-friend entries as last captured, and the request address built from them.
// Empty at start and kept for the whole run.

#include <QString>

struct ReferralEntries {
    QString ReferrerName;
    QString ReferrerEmail;
    QString ReferralMessage;
    QString FriendName;
    QString FriendEmail;
    QString ReferralAddress;
};
