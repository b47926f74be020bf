// The host's automation servers and the members this module's family calls
// on them: declared by the host–module contract.
#pragma once

#include "contract/VelmoraContract.h"
