#ifndef ENVCHECK_APP_COLLECTORS_H
#define ENVCHECK_APP_COLLECTORS_H

#include <vector>

#include "info/BaseInfo.h"

// The seven collectors, in report order: for the dialog and the headless run alike.
void CreateCollectors(std::vector<TBaseInfo*>& collectors);
void DeleteCollectors(std::vector<TBaseInfo*>& collectors);

#endif
