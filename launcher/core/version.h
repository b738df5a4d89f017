#pragma once

// The product's name and version, shown by the console banner and carried by the exe's version
// resource; the resource compiler reads this file too, so it holds nothing but #define lines.

#define VORNA_VERSION_MAJOR 3
#define VORNA_VERSION_MINOR 0
#define VORNA_VERSION_PATCH 0

#define VORNA_TEXT_OF_(tokens) #tokens
#define VORNA_TEXT_OF(tokens) VORNA_TEXT_OF_(tokens)
// "3.0.0", made of the numbers above so that the text and the numbers cannot differ.
#define VORNA_VERSION_TEXT VORNA_TEXT_OF(VORNA_VERSION_MAJOR.VORNA_VERSION_MINOR.VORNA_VERSION_PATCH)

#define VORNA_COMPANY_NAME "Ardilux"
#define VORNA_PRODUCT_NAME "Ardilux Keltrane Server"
