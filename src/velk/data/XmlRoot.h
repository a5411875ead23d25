#pragma once

#include "framework/core/text/TString.h"

class TXmlNode;

// Reads an XML file into the document and gives its root element of that
// name; null, with a log line naming the reader, when the file did not load
// or holds no such element.
TXmlNode* LoadXmlRoot(TXmlNode& document, const TString& fileName, const char* root,
                      const char* reader);
