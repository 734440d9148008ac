#include "catalog/DownloadUi.h"

DownloadUi::~DownloadUi() = default;
