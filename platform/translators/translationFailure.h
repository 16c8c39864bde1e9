// The roster's side of translationFailed (Translator.h): the reason that the
// translator under way gave, collected after each attempt.
#pragma once

/// Forgets any earlier reason; called before each translator is tried.
void clearTranslationFailure();

/// The reason given since the last clear, or null when none was given.
const char *translationFailure();
