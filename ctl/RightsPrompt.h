// What a writing command says when the registry refuses it the configuration for want of rights,
// and the question whether to ask Windows for an administrator's consent, as the tweak list's OK
// does.
#pragma once

#include <istream>
#include <ostream>

// Says on err that administrator rights are needed and nothing was written. With console (the
// answers of an interactive console) asks whether to ask Windows for consent: true when the
// answer is yes. Without one, or answered otherwise, says how to go on and returns false.
bool OfferConsent(std::istream* console, std::ostream& err);
