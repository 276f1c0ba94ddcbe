/* The C entry points' header is plain C. */
#include <host/velaAssetEstC.h>

int c_check_version(void)
{
    velaAssetEst_api_fn api = velaAssetEst_api;
    return api()->version == VELA_ASSET_EST_API_VERSION;
}
