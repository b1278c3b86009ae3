#pragma once

#include "base/Colour.h"
#include "settings/IniFile.h"

#include <QString>
#include <QStringView>
#include <span>

// The text form of a colour in the settings files: a colour identifier such
// as "clMoneyGreen", or "$" with eight upper-case hexadecimal digits.

struct ColourIdentifier {
    QStringView name;
    TColor value;
};

// The 49 identifiers in search order: a colour is written as the first one
// whose value equals it.
std::span<const ColourIdentifier> colourIdentifiers();

QString colourToText(TColor colour);

// An identifier (any case), else an integer text as IniValues reads it
// ("0xFF" is $000000FF). Throws EditorError "'<text>' is not a valid integer
// value" for anything else.
TColor textToColour(const QString& text);

// A colour key read with the colour text of `current` as its default, so a
// missing key keeps the colour. Throws as textToColour does.
TColor readColour(const IniFile::Snapshot& file, const QString& section, const QString& key, TColor current);

// Written into a batch of keys; throws as IniFile::Batch does.
void writeColour(IniFile::Batch& file, const QString& section, const QString& key, TColor colour);
