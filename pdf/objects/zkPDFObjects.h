#pragma once
// The whole object layer: streams, exceptions, objects, text routines, parser.
#include "pdf/objects/zkClasses.h"
#include "pdf/objects/zkPDFExceptions.h"
#include "pdf/objects/zkPDFObject.h"
#include "pdf/objects/zkPDFResStrings.h"
#include "pdf/objects/zkPDFText.h"
#include "pdf/objects/zkPDFParser.h"
