#pragma once

#include "core/net/ConnectionManager.h"
#include "core/net/LinkStates.h"
#include "core/net/PrivateLinks.h"

#include <QString>

// The plain words for a peer's link: "connected both ways since 10:42", "not answering since 09:15 — last try
// 10:50, next in 32 s". Times are the local clock's hours and minutes; now is in ms since the epoch.
QString PeerStateText(const net::LinkView& link, qint64 now);
// What the marks in the user view mean, for the end of a row's tooltip.
QString PeerStateLegend();
// What private lines are to a peer, for its tooltip; empty for a plain one.
QString PrivacyText(net::PrivateLinks::State privacy);
// A listed peer that is away, as the main window lists it: "Dora, last seen 10:40" (with the date when not today),
// or "Dora, not seen since Parley started".
QString AwayText(const net::AwayPeer& peer, qint64 now);
