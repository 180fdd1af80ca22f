// The exponential and the logarithms in extended precision: a table of 128 values and a short
// polynomial each, within about half a unit in the last place and several times faster than
// the C library's expl and logl. The tables and polynomials come from
// scripts/kernels/explog.py. The hyperbolic functions and their inverses are built on them
// here, where their unrounded pairs are at hand.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/ExtendedPair.h"
#include "engine/MathKernelsImpl.h"

namespace KvScalar {

namespace {

using KvPair::TPair;

struct TDoublePair {
    double Hi;
    double Lo;
};

// clang-format off
// exp: x = k ln2/128 + r, |r| <= 0.00270761;
// q(r) ~ (e^r - 1 - r) / r^2 within 1.83e-18
constexpr double InvLn2N = 0x1.71547652b82fep+7;
constexpr double Ln2NHi = 0x1.62e42fefa3800p-8;
constexpr double Ln2NLo = 0x1.ef35793c76730p-52;
constexpr double ExpQ[] = {
    0x1.0000000000000p-1, 0x1.55555555554ddp-3, 0x1.5555555555519p-5, 0x1.111114f8a7ad0p-7,
    0x1.6c16c553ad5c0p-10,
};
constexpr TDoublePair ExpTable[] = {
    {0x1.0000000000000p+0, 0.0},
    {0x1.0163da9fb3335p+0, 0x1.b61299ab8cdb7p-54},
    {0x1.02c9a3e778061p+0, -0x1.19083535b085dp-56},
    {0x1.04315e86e7f85p+0, -0x1.0a31c1977c96ep-54},
    {0x1.059b0d3158574p+0, 0x1.d73e2a475b465p-55},
    {0x1.0706b29ddf6dep+0, -0x1.c91dfe2b13c27p-55},
    {0x1.0874518759bc8p+0, 0x1.186be4bb284ffp-57},
    {0x1.09e3ecac6f383p+0, 0x1.1487818316136p-54},
    {0x1.0b5586cf9890fp+0, 0x1.8a62e4adc610bp-54},
    {0x1.0cc922b7247f7p+0, 0x1.01edc16e24f71p-54},
    {0x1.0e3ec32d3d1a2p+0, 0x1.03a1727c57b53p-59},
    {0x1.0fb66affed31bp+0, -0x1.b9bedc44ebd7bp-57},
    {0x1.11301d0125b51p+0, -0x1.6c51039449b3ap-54},
    {0x1.12abdc06c31ccp+0, -0x1.1b514b36ca5c7p-58},
    {0x1.1429aaea92de0p+0, -0x1.32fbf9af1369ep-54},
    {0x1.15a98c8a58e51p+0, 0x1.2406ab9eeab0ap-55},
    {0x1.172b83c7d517bp+0, -0x1.19041b9d78a76p-55},
    {0x1.18af9388c8deap+0, -0x1.11023d1970f6cp-54},
    {0x1.1a35beb6fcb75p+0, 0x1.e5b4c7b4968e4p-55},
    {0x1.1bbe084045cd4p+0, -0x1.95386352ef607p-54},
    {0x1.1d4873168b9aap+0, 0x1.e016e00a2643cp-54},
    {0x1.1ed5022fcd91dp+0, -0x1.1df98027bb78cp-54},
    {0x1.2063b88628cd6p+0, 0x1.dc775814a8495p-55},
    {0x1.21f49917ddc96p+0, 0x1.2a97e9494a5eep-55},
    {0x1.2387a6e756238p+0, 0x1.9b07eb6c70573p-54},
    {0x1.251ce4fb2a63fp+0, 0x1.ac155bef4f4a4p-55},
    {0x1.26b4565e27cddp+0, 0x1.2bd339940e9d9p-55},
    {0x1.284dfe1f56381p+0, -0x1.a4c3a8c3f0d7ep-54},
    {0x1.29e9df51fdee1p+0, 0x1.612e8afad1255p-55},
    {0x1.2b87fd0dad990p+0, -0x1.10adcd6381aa4p-59},
    {0x1.2d285a6e4030bp+0, 0x1.0024754db41d5p-54},
    {0x1.2ecafa93e2f56p+0, 0x1.1ca0f45d52383p-56},
    {0x1.306fe0a31b715p+0, 0x1.6f46ad23182e4p-55},
    {0x1.32170fc4cd831p+0, 0x1.a9ce78e18047cp-55},
    {0x1.33c08b26416ffp+0, 0x1.32721843659a6p-54},
    {0x1.356c55f929ff1p+0, -0x1.b5cee5c4e4628p-55},
    {0x1.371a7373aa9cbp+0, -0x1.63aeabf42eae2p-54},
    {0x1.38cae6d05d866p+0, -0x1.e958d3c9904bdp-54},
    {0x1.3a7db34e59ff7p+0, -0x1.5e436d661f5e3p-56},
    {0x1.3c32dc313a8e5p+0, -0x1.efff8375d29c3p-54},
    {0x1.3dea64c123422p+0, 0x1.ada0911f09ebcp-55},
    {0x1.3fa4504ac801cp+0, -0x1.7d023f956f9f3p-54},
    {0x1.4160a21f72e2ap+0, -0x1.ef3691c309278p-58},
    {0x1.431f5d950a897p+0, -0x1.1c7dde35f7999p-55},
    {0x1.44e086061892dp+0, 0x1.89b7a04ef80d0p-59},
    {0x1.46a41ed1d0057p+0, 0x1.c944bd1648a76p-54},
    {0x1.486a2b5c13cd0p+0, 0x1.3c1a3b69062f0p-56},
    {0x1.4a32af0d7d3dep+0, 0x1.9cb62f3d1be56p-54},
    {0x1.4bfdad5362a27p+0, 0x1.d4397afec42e2p-56},
    {0x1.4dcb299fddd0dp+0, 0x1.8ecdbbc6a7833p-54},
    {0x1.4f9b2769d2ca7p+0, -0x1.4b309d25957e3p-54},
    {0x1.516daa2cf6642p+0, -0x1.f768569bd93efp-55},
    {0x1.5342b569d4f82p+0, -0x1.07abe1db13cadp-55},
    {0x1.551a4ca5d920fp+0, -0x1.d689cefede59bp-55},
    {0x1.56f4736b527dap+0, 0x1.9bb2c011d93adp-54},
    {0x1.58d12d497c7fdp+0, 0x1.295e15b9a1de8p-55},
    {0x1.5ab07dd485429p+0, 0x1.6324c054647adp-54},
    {0x1.5c9268a5946b7p+0, 0x1.c4b1b816986a2p-60},
    {0x1.5e76f15ad2148p+0, 0x1.ba6f93080e65ep-54},
    {0x1.605e1b976dc09p+0, -0x1.3e2429b56de47p-54},
    {0x1.6247eb03a5585p+0, -0x1.383c17e40b497p-54},
    {0x1.6434634ccc320p+0, -0x1.c483c759d8933p-55},
    {0x1.6623882552225p+0, -0x1.bb60987591c34p-54},
    {0x1.68155d44ca973p+0, 0x1.038ae44f73e65p-57},
    {0x1.6a09e667f3bcdp+0, -0x1.bdd3413b26456p-54},
    {0x1.6c012750bdabfp+0, -0x1.2895667ff0b0dp-56},
    {0x1.6dfb23c651a2fp+0, -0x1.bbe3a683c88abp-57},
    {0x1.6ff7df9519484p+0, -0x1.83c0f25860ef6p-55},
    {0x1.71f75e8ec5f74p+0, -0x1.16e4786887a99p-55},
    {0x1.73f9a48a58174p+0, -0x1.0a8d96c65d53cp-54},
    {0x1.75feb564267c9p+0, -0x1.0245957316dd3p-54},
    {0x1.780694fde5d3fp+0, 0x1.866b80a02162dp-54},
    {0x1.7a11473eb0187p+0, -0x1.41577ee04992fp-55},
    {0x1.7c1ed0130c132p+0, 0x1.f124cd1164dd6p-54},
    {0x1.7e2f336cf4e62p+0, 0x1.05d02ba15797ep-56},
    {0x1.80427543e1a12p+0, -0x1.27c86626d972bp-54},
    {0x1.82589994cce13p+0, -0x1.d4c1dd41532d8p-54},
    {0x1.8471a4623c7adp+0, -0x1.8d684a341cdfbp-55},
    {0x1.868d99b4492edp+0, -0x1.fc6f89bd4f6bap-54},
    {0x1.88ac7d98a6699p+0, 0x1.994c2f37cb53ap-54},
    {0x1.8ace5422aa0dbp+0, 0x1.6e9f156864b27p-54},
    {0x1.8cf3216b5448cp+0, -0x1.0d55e32e9e3aap-56},
    {0x1.8f1ae99157736p+0, 0x1.5cc13a2e3976cp-55},
    {0x1.9145b0b91ffc6p+0, -0x1.dd6792e582524p-54},
    {0x1.93737b0cdc5e5p+0, -0x1.75fc781b57ebcp-57},
    {0x1.95a44cbc8520fp+0, -0x1.64b7c96a5f039p-56},
    {0x1.97d829fde4e50p+0, -0x1.d185b7c1b85d1p-54},
    {0x1.9a0f170ca07bap+0, -0x1.173bd91cee632p-54},
    {0x1.9c49182a3f090p+0, 0x1.c7c46b071f2bep-56},
    {0x1.9e86319e32323p+0, 0x1.824ca78e64c6ep-56},
    {0x1.a0c667b5de565p+0, -0x1.359495d1cd533p-54},
    {0x1.a309bec4a2d33p+0, 0x1.6305c7ddc36abp-54},
    {0x1.a5503b23e255dp+0, -0x1.d2f6edb8d41e1p-54},
    {0x1.a799e1330b358p+0, 0x1.bcb7ecac563c7p-54},
    {0x1.a9e6b5579fdbfp+0, 0x1.0fac90ef7fd31p-54},
    {0x1.ac36bbfd3f37ap+0, -0x1.f9234cae76cd0p-55},
    {0x1.ae89f995ad3adp+0, 0x1.7a1cd345dcc81p-54},
    {0x1.b0e07298db666p+0, -0x1.bdef54c80e425p-54},
    {0x1.b33a2b84f15fbp+0, -0x1.2805e3084d708p-57},
    {0x1.b59728de5593ap+0, -0x1.c71dfbbba6de3p-54},
    {0x1.b7f76f2fb5e47p+0, -0x1.5584f7e54ac3bp-56},
    {0x1.ba5b030a1064ap+0, -0x1.efcd30e54292ep-54},
    {0x1.bcc1e904bc1d2p+0, 0x1.23dd07a2d9e84p-55},
    {0x1.bf2c25bd71e09p+0, -0x1.efdca3f6b9c73p-54},
    {0x1.c199bdd85529cp+0, 0x1.11065895048ddp-55},
    {0x1.c40ab5fffd07ap+0, 0x1.b4537e083c60ap-54},
    {0x1.c67f12e57d14bp+0, 0x1.2884dff483cadp-54},
    {0x1.c8f6d9406e7b5p+0, 0x1.1acbc48805c44p-56},
    {0x1.cb720dcef9069p+0, 0x1.503cbd1e949dbp-56},
    {0x1.cdf0b555dc3fap+0, -0x1.dd83b53829d72p-55},
    {0x1.d072d4a07897cp+0, -0x1.cbc3743797a9cp-54},
    {0x1.d2f87080d89f2p+0, -0x1.d487b719d8578p-54},
    {0x1.d5818dcfba487p+0, 0x1.2ed02d75b3707p-55},
    {0x1.d80e316c98398p+0, -0x1.11ec18beddfe8p-54},
    {0x1.da9e603db3285p+0, 0x1.c2300696db532p-54},
    {0x1.dd321f301b460p+0, 0x1.2da5778f018c3p-54},
    {0x1.dfc97337b9b5fp+0, -0x1.1a5cd4f184b5cp-54},
    {0x1.e264614f5a129p+0, -0x1.7b627817a1496p-54},
    {0x1.e502ee78b3ff6p+0, 0x1.39e8980a9cc8fp-55},
    {0x1.e7a51fbc74c83p+0, 0x1.2d522ca0c8de2p-54},
    {0x1.ea4afa2a490dap+0, -0x1.e9c23179c2893p-54},
    {0x1.ecf482d8e67f1p+0, -0x1.c93f3b411ad8cp-54},
    {0x1.efa1bee615a27p+0, 0x1.dc7f486a4b6b0p-54},
    {0x1.f252b376bba97p+0, 0x1.3a1a5bf0d8e43p-54},
    {0x1.f50765b6e4540p+0, 0x1.9d3e12dd8a18bp-54},
    {0x1.f7bfdad9cbe14p+0, -0x1.dbb12d006350ap-54},
    {0x1.fa7c1819e90d8p+0, 0x1.74853f3a5931ep-55},
    {0x1.fd3c22b8f71f1p+0, 0x1.2eb74966579e7p-57},
};
// ln: x = 2^e m, r = m inv_j - 1 in [-0.00408936, 0.00426865];
// q(r) ~ (ln(1 + r) - r + r^2/2) / r^3 within 3.72e-17
constexpr double Ln2Hi = 0x1.62e42fefa39f0p-1;
constexpr double Ln2Lo = -0x1.950d871319ff0p-54;
constexpr double LnQ[] = {
    0x1.5555555555556p-2, -0x1.fffffffffff86p-3, 0x1.99999998f3362p-3, -0x1.5555557889e56p-3,
    0x1.2493cdf4355e2p-3, -0x1.ffc41898e5223p-4,
};
constexpr double LnInverse[] = {
    0x1.0000000000000p+0, 0x1.fc00000000000p-1, 0x1.f800000000000p-1, 0x1.f480000000000p-1,
    0x1.f080000000000p-1, 0x1.ed00000000000p-1, 0x1.e900000000000p-1, 0x1.e580000000000p-1,
    0x1.e200000000000p-1, 0x1.de80000000000p-1, 0x1.db00000000000p-1, 0x1.d780000000000p-1,
    0x1.d400000000000p-1, 0x1.d100000000000p-1, 0x1.cd80000000000p-1, 0x1.ca80000000000p-1,
    0x1.c700000000000p-1, 0x1.c400000000000p-1, 0x1.c100000000000p-1, 0x1.be00000000000p-1,
    0x1.bb00000000000p-1, 0x1.b800000000000p-1, 0x1.b500000000000p-1, 0x1.b200000000000p-1,
    0x1.af00000000000p-1, 0x1.ac80000000000p-1, 0x1.a980000000000p-1, 0x1.a700000000000p-1,
    0x1.a400000000000p-1, 0x1.a180000000000p-1, 0x1.9f00000000000p-1, 0x1.9c00000000000p-1,
    0x1.9980000000000p-1, 0x1.9700000000000p-1, 0x1.9480000000000p-1, 0x1.9200000000000p-1,
    0x1.8f80000000000p-1, 0x1.8d00000000000p-1, 0x1.8b00000000000p-1, 0x1.8880000000000p-1,
    0x1.8600000000000p-1, 0x1.8400000000000p-1, 0x1.8180000000000p-1, 0x1.7f80000000000p-1,
    0x1.7d00000000000p-1, 0x1.7b00000000000p-1, 0x1.7880000000000p-1, 0x1.7680000000000p-1,
    0x1.7480000000000p-1, 0x1.7280000000000p-1, 0x1.7000000000000p-1, 0x1.6e00000000000p-1,
    0x1.6c00000000000p-1, 0x1.6a00000000000p-1, 0x1.6800000000000p-1, 0x1.6600000000000p-1,
    0x1.6400000000000p-1, 0x1.6200000000000p-1, 0x1.6080000000000p-1, 0x1.5e80000000000p-1,
    0x1.5c80000000000p-1, 0x1.5b00000000000p-1, 0x1.5900000000000p-1, 0x1.5700000000000p-1,
    0x1.5580000000000p-1, 0x1.5380000000000p-1, 0x1.5200000000000p-1, 0x1.5000000000000p-1,
    0x1.4e80000000000p-1, 0x1.4c80000000000p-1, 0x1.4b00000000000p-1, 0x1.4980000000000p-1,
    0x1.4780000000000p-1, 0x1.4600000000000p-1, 0x1.4480000000000p-1, 0x1.4300000000000p-1,
    0x1.4180000000000p-1, 0x1.3f80000000000p-1, 0x1.3e00000000000p-1, 0x1.3c80000000000p-1,
    0x1.3b00000000000p-1, 0x1.3980000000000p-1, 0x1.3800000000000p-1, 0x1.3680000000000p-1,
    0x1.3500000000000p-1, 0x1.3380000000000p-1, 0x1.3200000000000p-1, 0x1.3100000000000p-1,
    0x1.2f80000000000p-1, 0x1.2e00000000000p-1, 0x1.2c80000000000p-1, 0x1.2b80000000000p-1,
    0x1.2a00000000000p-1, 0x1.2880000000000p-1, 0x1.2700000000000p-1, 0x1.2600000000000p-1,
    0x1.2480000000000p-1, 0x1.2380000000000p-1, 0x1.2200000000000p-1, 0x1.2080000000000p-1,
    0x1.1f80000000000p-1, 0x1.1e00000000000p-1, 0x1.1d00000000000p-1, 0x1.1b80000000000p-1,
    0x1.1a80000000000p-1, 0x1.1980000000000p-1, 0x1.1800000000000p-1, 0x1.1700000000000p-1,
    0x1.1580000000000p-1, 0x1.1480000000000p-1, 0x1.1380000000000p-1, 0x1.1200000000000p-1,
    0x1.1100000000000p-1, 0x1.1000000000000p-1, 0x1.0f00000000000p-1, 0x1.0d80000000000p-1,
    0x1.0c80000000000p-1, 0x1.0b80000000000p-1, 0x1.0a80000000000p-1, 0x1.0980000000000p-1,
    0x1.0880000000000p-1, 0x1.0700000000000p-1, 0x1.0600000000000p-1, 0x1.0500000000000p-1,
    0x1.0400000000000p-1, 0x1.0300000000000p-1, 0x1.0200000000000p-1, 0x1.0100000000000p-1,
    0x1.0000000000000p-1,
};
constexpr TDoublePair LnTable[] = {
    {0.0, 0.0},
    {0x1.010157588de71p-7, 0x1.46662d417ced0p-62},
    {0x1.0205658935847p-6, 0x1.27c8e8416e71fp-60},
    {0x1.74321d3d006d3p-6, -0x1.96f016b887bf4p-60},
    {0x1.f7a9b16782856p-6, -0x1.36c720c147756p-60},
    {0x1.35c8bfaa1306bp-5, -0x1.50830a65543a4p-63},
    {0x1.788595a3577bap-5, 0x1.e5ef898b67923p-59},
    {0x1.b35dd9b58baadp-5, -0x1.6526154e379dfp-61},
    {0x1.eea31c006b87cp-5, -0x1.3e4fc93b7b66cp-59},
    {0x1.152b799bb3cc9p-4, -0x1.948381841487fp-58},
    {0x1.333d7f8183f4bp-4, 0x1.a92afc8ef70b1p-58},
    {0x1.518874226130ap-4, 0x1.d96258b3d8a8fp-60},
    {0x1.700d30aeac0e1p-4, -0x1.72566212cdd05p-61},
    {0x1.8a6477a91dc29p-4, -0x1.fa83214904842p-59},
    {0x1.a956d3ecade63p-4, 0x1.e5300b12bd55ep-58},
    {0x1.c40d6425a5cb1p-4, 0x1.21d1930dc8acdp-60},
    {0x1.e3707ee30487bp-4, 0x1.09ccecd579d99p-58},
    {0x1.fe89139dbd566p-4, -0x1.ac9f4215f9393p-58},
    {0x1.0ce7ecdccc28dp-3, -0x1.692a0055dc959p-57},
    {0x1.1aa2b7e23f72ap-3, -0x1.c6ef1d9b2ef7ep-59},
    {0x1.28753bc11aba5p-3, -0x1.6394d9fa33311p-57},
    {0x1.365fcb0159016p-3, 0x1.7d411a5b944adp-58},
    {0x1.4462b9dc9b3dcp-3, -0x1.629c46c186385p-58},
    {0x1.527e5e4a1b58dp-3, -0x1.71a9682395bfdp-61},
    {0x1.60b3100b09476p-3, -0x1.5b2623e05016bp-58},
    {0x1.6c9d07d203fc7p-3, 0x1.80a04c9a46c61p-59},
    {0x1.7b0091651528cp-3, 0x1.4069f303518c8p-57},
    {0x1.871213750e994p-3, 0x1.d685f35eea2a0p-57},
    {0x1.95a5adcf7017fp-3, 0x1.142c507fb7a3dp-58},
    {0x1.a1dfc40f1b7f1p-3, -0x1.e009e6f018fe8p-61},
    {0x1.ae2ca6f672bd4p-3, 0x1.ab5ca9eaa088ap-57},
    {0x1.bd087383bd8adp-3, 0x1.dd355f6a516d7p-60},
    {0x1.c97f8079d44ecp-3, 0x1.61a8c6e6c4ee7p-57},
    {0x1.d60a17f903515p-3, -0x1.c0df841a71b7ap-57},
    {0x1.e2a877a6b2c12p-3, -0x1.fa21e3df99430p-58},
    {0x1.ef5ade4dcffe6p-3, -0x1.08ab2ddc708a0p-58},
    {0x1.fc218be620a5ep-3, -0x1.6e438c258187fp-58},
    {0x1.047e60cde83b8p-2, -0x1.0779634061cbcp-56},
    {0x1.09aa572e6c6d4p-2, 0x1.43c2e68684d53p-57},
    {0x1.102ac0a35cc1cp-2, 0x1.088080a5e68b4p-59},
    {0x1.16b5ccbacfb73p-2, 0x1.66fbd28b40935p-56},
    {0x1.1bf99635a6b95p-2, -0x1.12aeb84249223p-57},
    {0x1.22981fbef797bp-2, -0x1.0b04ac06cebe0p-59},
    {0x1.27ebaf58d8c9dp-2, -0x1.8800b4bda6c97p-57},
    {0x1.2e9e2bce12286p-2, 0x1.8251a3b83d97ap-62},
    {0x1.3401e12aecba1p-2, -0x1.cd55b8a4746c0p-58},
    {0x1.3ac8ca38e5c5fp-2, -0x1.f7de015f253eep-56},
    {0x1.403d086cea79cp-2, -0x1.0a8bb78cf7cdap-56},
    {0x1.45b8c0a17df13p-2, 0x1.dbe305eaf5a20p-56},
    {0x1.4b3c077267e9ap-2, 0x1.2e5fbeb518508p-56},
    {0x1.522ae0738a3d8p-2, -0x1.8f7e9b38a6979p-57},
    {0x1.57bf753c8d1fbp-2, -0x1.0908d15f88b63p-57},
    {0x1.5d5bddf595f30p-2, -0x1.6541148cbb8a2p-56},
    {0x1.630030b3aac49p-2, 0x1.dc18ce51fff99p-57},
    {0x1.68ac83e9c6a14p-2, 0x1.a64eadd740178p-58},
    {0x1.6e60ee6af1972p-2, 0x1.657c222d868cdp-58},
    {0x1.741d876c67bb1p-2, 0x1.84a4ee3059583p-56},
    {0x1.79e26687cfb3ep-2, -0x1.c168817443f22p-56},
    {0x1.7e3b8a49ac005p-2, 0x1.5dd17f4b4c16dp-56},
    {0x1.840f1e12667f0p-2, 0x1.deee3f9b04a4bp-59},
    {0x1.89eb3af432874p-2, 0x1.6060f2227164bp-56},
    {0x1.8e55f9b349b83p-2, 0x1.e2763763baffcp-56},
    {0x1.9441434a03259p-2, 0x1.c0e4afffa1b77p-56},
    {0x1.9a355c33bd6bap-2, -0x1.959578e82a9d9p-57},
    {0x1.9eb246cb4eea1p-2, 0x1.73a79c9dc89c6p-57},
    {0x1.a4b60a46e5dd3p-2, -0x1.99e08b3a5756cp-57},
    {0x1.a93ed3c8ad9e3p-2, 0x1.bcafa9de97203p-56},
    {0x1.af5295248cdd0p-2, 0x1.9d56c45dd3e86p-56},
    {0x1.b3e77d046d727p-2, 0x1.a811ca267523bp-56},
    {0x1.ba0b922e74f22p-2, -0x1.81027a1a63581p-56},
    {0x1.beacd9e271ad1p-2, 0x1.376dc3cda889fp-56},
    {0x1.c35383c8850afp-2, 0x1.6ef6cf316d8fep-57},
    {0x1.c98f869a9cbbcp-2, -0x1.5b2f2775a959cp-58},
    {0x1.ce42f18064743p-2, 0x1.0798270b29f39p-56},
    {0x1.d2fbe932034c7p-2, 0x1.543c786ac1d55p-60},
    {0x1.d7ba7ad9e7da0p-2, -0x1.15dc45192db3fp-56},
    {0x1.dc7eb3d1919ebp-2, 0x1.bdc6e5df6b62ap-60},
    {0x1.e2e28d3d701ccp-2, 0x1.734e2624672acp-58},
    {0x1.e7b42c3ddad73p-2, 0x1.57d646a17bc6ap-56},
    {0x1.ec8ba06d15ad9p-2, -0x1.c9a5af4bbf145p-56},
    {0x1.f168f7fb05c52p-2, 0x1.2fd60fce475cfp-59},
    {0x1.f64c414b926c5p-2, -0x1.f85c1f65682d7p-56},
    {0x1.fb358af7a4884p-2, 0x1.7e8f05924d259p-57},
    {0x1.001271e716158p-1, 0x1.97a2ec1ed2dc2p-55},
    {0x1.028d2d6a963f4p-1, 0x1.ff6181e8400ccp-55},
    {0x1.050affa5671a5p-1, 0x1.8ce1aa3b8eeecp-55},
    {0x1.078bf0533c568p-1, 0x1.2241edf5fd1f7p-57},
    {0x1.0938fae5d8e9bp-1, -0x1.1f5e313ed5944p-60},
    {0x1.0bbf2fd23dd41p-1, -0x1.7f5294328cde4p-57},
    {0x1.0e4898611cce1p-1, 0x1.3300f002e836ep-55},
    {0x1.10d53cbc080f8p-1, -0x1.d1a5584a84aa4p-57},
    {0x1.128a24f1d9affp-1, 0x1.cf4df375e6503p-56},
    {0x1.151c3f6f29612p-1, 0x1.342eb628dba17p-56},
    {0x1.17b1ac17cbd5bp-1, 0x1.3ab727496f094p-57},
    {0x1.1a4a738b7a33cp-1, 0x1.58930213c987dp-55},
    {0x1.1c07849ae6007p-1, 0x1.59bddae1ccce2p-56},
    {0x1.1ea5f6e70eb83p-1, -0x1.7028ff35c8d40p-57},
    {0x1.2066d7740737ep-1, 0x1.974147ce35eb1p-55},
    {0x1.230b0d8bebc98p-1, -0x1.fcc8dbccc25cbp-57},
    {0x1.25b2c55cd5762p-1, 0x1.1ba00f5280aedp-55},
    {0x1.2779e1ec93ecap-1, 0x1.19b99acdbc5cap-55},
    {0x1.2a2786d0ec107p-1, -0x1.6a0c343be95dcp-56},
    {0x1.2bf29f9841c3bp-1, 0x1.470c3a76fd89cp-57},
    {0x1.2ea64c3f97655p-1, -0x1.35d20ae41989cp-55},
    {0x1.30757344f0e13p-1, 0x1.f42b317819db2p-55},
    {0x1.32463ebdd34eap-1, -0x1.0e2365a93e40bp-57},
    {0x1.35028ad9d8c86p-1, -0x1.f01ab6065515cp-56},
    {0x1.36d77e9d34fd7p-1, -0x1.030a8308afc73p-55},
    {0x1.399a157a603e7p-1, 0x1.9c62286d89193p-56},
    {0x1.3b7344be40311p-1, 0x1.db4a1d0290a7ep-55},
    {0x1.3d4e2ae7b7e2bp-1, 0x1.647fbf21bb477p-55},
    {0x1.4019c2125ca93p-1, 0x1.86cf0f38b461ap-57},
    {0x1.41f8ff8471d61p-1, 0x1.eeba65347de21p-58},
    {0x1.43d9ff2f923c5p-1, -0x1.84f481051f71ap-56},
    {0x1.45bcc464c893ap-1, 0x1.45b00234d80aap-57},
    {0x1.489445efffcccp-1, -0x1.9f2bb8468644cp-57},
    {0x1.4a7b87bf1fa82p-1, 0x1.1d275b329e52fp-55},
    {0x1.4c649aff0ee16p-1, -0x1.39ba4d4d9f577p-55},
    {0x1.4e4f832c560ddp-1, 0x1.b7bb95e53a353p-55},
    {0x1.503c43cd8eb68p-1, 0x1.f872c65971084p-60},
    {0x1.522ae0738a3d8p-1, -0x1.8f7e9b38a6979p-56},
    {0x1.55144fdbcbd62p-1, 0x1.d66a6522e0f04p-55},
    {0x1.5707a26bb8c66p-1, 0x1.80bff3303dd48p-55},
    {0x1.58fcddce004c4p-1, -0x1.c801a2d42e96cp-55},
    {0x1.5af405c3649e0p-1, -0x1.6714fbcd8135bp-55},
    {0x1.5ced1e17c35c5p-1, 0x1.6812a0aac67dep-55},
    {0x1.5ee82aa241920p-1, 0x1.1c066d235ee63p-56},
    {0x1.60e52f45788e3p-1, 0x1.d4bcd02c7194cp-55},
    {0.0, 0.0},
};
// log x = ln x / ln 10 and ld x = ln x / ln 2, the factors in parts of 32, 32 and 53 bits
constexpr double InvLn10[] = {
    0x1.bcb7b15200000p-2, 0x1.b9438caa00000p-36, -0x1.548aaa0a59848p-70,
};
constexpr double InvLn2[] = {
    0x1.7154765200000p+0, 0x1.705fc2ee00000p-33, 0x1.f43ff68348e9fp-66,
};
// clang-format on

// Adding it rounds a value below 2^62 to an integer, in the low bits of the mantissa.
constexpr double Shifter = 0x1.8p63;
// e^x is 0 below -ExpLimit (under half the smallest denormal) and overflows above it.
constexpr double ExpLimit = 11400;
// The logarithm's table entries 1 and 2 without exponent: there r = x - 1 exactly.
constexpr double NearOneBelow = 1 - 0x1p-9;
constexpr double NearOneAbove = 1 + 0x1p-8;

// 2^k as a double, for -1022 <= k <= 1023: built from the bits, a multiplication in the x87
// unit is then exact without a slow 80-bit load.
double DoublePowerOfTwo(int k) {
    return std::bit_cast<double>(static_cast<std::uint64_t>(k + 1023) << 52);
}

// ln(1 + r) - r = r^2 (r q(r) - 1/2), with q in double: r^3 q is below 2^-15 relative to r.
// rd is r to within 2^-52: q's slope is near -1/4, so q(rd) adds no more than 2^-78 to the
// result, and q need not wait for r.
long double LnPolynomial(long double r, double rd) {
    const double rd2 = rd * rd;
    const double q =
        (LnQ[0] + rd * LnQ[1]) + rd2 * ((LnQ[2] + rd * LnQ[3]) + rd2 * (LnQ[4] + rd * LnQ[5]));
    return r * r * (r * static_cast<long double>(q) - 0.5L);
}

long double LnPolynomial(long double r) {
    return LnPolynomial(r, static_cast<double>(r));
}

} // namespace

// e^x = 2^k 2^(j/128) e^r with x = (128 k + j) ln2/128 + r: the two-part ln2/128 keeps r
// exact to far below the last place for every x in range, so large arguments lose nothing.
// e^x 2^shift, scaled before rounding: its overflow is the scaled value's own.
// With WithLow, e^(x + low) for a low part below 2^-60 of x, which joins the reduced argument.
template <bool WithLow = false>
[[gnu::always_inline]] inline long double ScaledExp(long double x, int shift, long double low = 0) {
    // The quiet comparisons let a NaN through without the invalid flag.
    if (!std::isless(std::fabs(x), ExpLimit)) {
        if (std::isnan(x)) return x + x;
        if (x < 0) return 0;
        if (x == std::numeric_limits<long double>::infinity()) return x;
        return KvKernels::RaiseOverflow();
    }
    const long double kd = (x * InvLn2N + Shifter) - Shifter;
    const int kj = static_cast<int>(static_cast<double>(kd));
    long double r = (x - kd * Ln2NHi) - kd * Ln2NLo;
    if constexpr (WithLow) r += low;
    // The terms from r^2 on are below 2^-17 and need only double precision.
    const double rd = static_cast<double>(r);
    const double rd2 = rd * rd;
    const double q = (ExpQ[0] + rd * ExpQ[1]) + rd2 * ((ExpQ[2] + rd * ExpQ[3]) + rd2 * ExpQ[4]);
    const TDoublePair& t = ExpTable[kj & 127];
    // 2^(j/128) (1 + p) = hi + (lo + (hi + lo) p): the low part is near 2^-53 and its
    // product with p still counts.
    const long double hi = t.Hi;
    const long double s = hi + (t.Lo + (hi + t.Lo) * (r + static_cast<long double>(rd2 * q)));
    const int k = (kj >> 7) + shift;
    if (k >= -1022 && k <= 1023) return s * static_cast<long double>(DoublePowerOfTwo(k));
    // In two factors, each representable: near the ends 2^k alone is not. The second
    // multiplication rounds a denormal result once and raises overflow where the result
    // exceeds the range.
    const int half = k / 2;
    return s * KvPair::PowerOfTwo(half) * KvPair::PowerOfTwo(k - half);
}

long double Exp(long double x) {
    return ScaledExp(x, 0);
}

long double HalfExp(long double x) {
    return ScaledExp(x, -1);
}

namespace {

// From here on tanh and coth are +-1 to the last bit: 2 e^(-2x) is below 2^-65.
constexpr long double UnitHyperbolic = 23;
// Below this sinh x and tanh x round to x, and cosh x to 1: x^2/2 is below 2^-65.
constexpr long double TinyHyperbolic = 0x1p-32L;

long double WithSignOf(long double x, long double magnitude) {
    return x < 0 ? -magnitude : magnitude;
}

// x = (128 k + j) ln2/128 + r for the kernels that carry e^x as a pair, |x| <= 64: r in two
// parts, the first exact, and e^r = 1 + RHi + PRest.
struct TExpReduced {
    int K;
    const TDoublePair* T;
    long double RHi;
    long double PRest;
};

[[gnu::always_inline]] inline TExpReduced ReduceExp(long double x) {
    const long double kd = (x * InvLn2N + Shifter) - Shifter;
    const int kj = static_cast<int>(static_cast<double>(kd));
    const long double rHi = x - kd * Ln2NHi;
    const long double rLo = -(kd * Ln2NLo);
    const long double r = rHi + rLo;
    // Up to r^2 in extended: against a result as small as r, double precision would count.
    const double rd = static_cast<double>(r);
    const double tail = ExpQ[1] + rd * (ExpQ[2] + rd * (ExpQ[3] + rd * ExpQ[4]));
    const long double pRest = rLo + r * r * (ExpQ[0] + r * static_cast<long double>(tail));
    return {kj >> 7, &ExpTable[kj & 127], rHi, pRest};
}

// e^x as a pair, within about 2^-70, for 1 <= x <= 64.
[[gnu::always_inline]] inline TPair ExpPair(long double x) {
    const TExpReduced e = ReduceExp(x);
    const long double hi = e.T->Hi;
    const TPair s = KvPair::FastTwoSum(hi, e.T->Lo + (hi + e.T->Lo) * (e.RHi + e.PRest));
    const long double scale = DoublePowerOfTwo(e.K);
    return {s.Hi * scale, s.Lo * scale};
}

// e^x - 1 = 2^k ((hi - 2^-k) + hi rHi + lo (1 + p) + hi (p - rHi)) with 2^(j/128) = hi + lo
// and e^r = 1 + p, within about 2^-67 for |x| <= 64. Against a result as small as r, every
// rounding of a term of r's size would count: hi rHi is exact from 32-bit halves.
[[gnu::always_inline]] inline TPair ExpM1Pair(long double x) {
    const TExpReduced e = ReduceExp(x);
    const double tHi = e.T->Hi;
    // hi in 32 and 21 bits, rHi in two 32-bit halves: each product is exact.
    const double tTop =
        std::bit_cast<double>(std::bit_cast<std::uint64_t>(tHi) & ~((1ull << 21) - 1));
    const long double tBottom = tHi - tTop;
    const TPair rHalves = KvPair::Split(e.RHi);
    const long double product = tTop * rHalves.Hi;
    const long double productRest =
        (tTop * rHalves.Lo + tBottom * rHalves.Hi) + tBottom * rHalves.Lo;
    const TPair shifted = KvPair::TwoSum(tHi, -static_cast<long double>(DoublePowerOfTwo(-e.K)));
    const TPair sum = KvPair::TwoSum(shifted.Hi, product);
    const long double rest =
        (shifted.Lo + productRest) + (e.T->Lo * (1 + (e.RHi + e.PRest)) + tHi * e.PRest);
    const TPair result = KvPair::FastTwoSum(sum.Hi, sum.Lo + rest);
    const long double scale = DoublePowerOfTwo(e.K);
    return {result.Hi * scale, result.Lo * scale};
}

// a + b for a, b >= 0, as a pair whose low part may exceed half an ulp of the high one.
[[gnu::always_inline]] inline TPair Add(TPair a, long double b) {
    const TPair s = KvPair::TwoSum(a.Hi, b);
    return {s.Hi, s.Lo + a.Lo};
}

// a / b within about 2^-110 for b within the range of double: the remainder of the first quotient
// is exact, and its quotient the correction. A double reciprocal suffices for both and is
// quicker.
[[gnu::always_inline]] inline TPair Divide(TPair a, TPair b) {
    const long double inverse = 1 / static_cast<double>(b.Hi);
    const long double q = a.Hi * inverse;
    const TPair p = KvPair::TwoProduct(q, b.Hi);
    return {q, (((a.Hi - p.Hi) - p.Lo) + (a.Lo - q * b.Lo)) * inverse};
}

// sinh x and cosh x for TinyHyperbolic <= x < UnitHyperbolic are half the sum and half the
// difference of e^x and e^-x. Below 1 these are 1 + m and 1 - d with m = e^x - 1 and
// d = m / (m + 1), so that the sums use m and d, without cancellation.
struct TExpBoth {
    TPair Up;
    TPair Down;
};

// e^x - 1 and 1 - e^-x.
[[gnu::always_inline]] inline TExpBoth SmallExpBoth(long double x) {
    const TPair m = ExpM1Pair(x);
    return {m, Divide(m, Add(m, 1))};
}

// e^x and e^-x, the second at most 0.37 of the result and needing only its rounding.
[[gnu::always_inline]] inline TExpBoth ExpBoth(long double x) {
    const TPair e = ExpPair(x);
    const long double inverse = 1 / e.Hi;
    return {e, {inverse - inverse * (inverse * e.Lo), 0}};
}

// e^(2x) - 1 for tanh and coth: from 1/2 on, e^(2x) less 1 as an exact pair is cheaper.
[[gnu::always_inline]] inline TPair TwiceExpM1(long double x) {
    if (x < 0.5L) return ExpM1Pair(2 * x);
    const TPair e = ExpPair(2 * x);
    const TPair s = KvPair::FastTwoSum(e.Hi, -1);
    return {s.Hi, s.Lo + e.Lo};
}

} // namespace

long double Sinh(long double x) {
    const long double ax = std::fabs(x);
    if (ax < 1) {
        if (ax < TinyHyperbolic) return x;
        const TExpBoth e = SmallExpBoth(ax);
        const TPair s = KvPair::TwoSum(e.Up.Hi, e.Down.Hi);
        return WithSignOf(x, 0.5L * (s.Hi + (s.Lo + (e.Up.Lo + e.Down.Lo))));
    }
    if (ax < UnitHyperbolic) {
        const TExpBoth e = ExpBoth(ax);
        const TPair s = KvPair::FastTwoSum(e.Up.Hi, -e.Down.Hi);
        return WithSignOf(x, 0.5L * (s.Hi + (s.Lo + e.Up.Lo)));
    }
    // From |x|, so that a very negative x overflows as a large positive one does. e^-x is
    // below 2^-66 of the result.
    const long double h = HalfExp(ax);
    return WithSignOf(x, h - 0.25L / h);
}

long double Cosh(long double x) {
    const long double ax = std::fabs(x);
    if (ax < 1) {
        if (ax < TinyHyperbolic) return 1;
        // 1 + half the difference, whose sum with 1 is rounded once.
        const TExpBoth e = SmallExpBoth(ax);
        const TPair d = KvPair::TwoSum(e.Up.Hi, -e.Down.Hi);
        const TPair c = KvPair::FastTwoSum(1, 0.5L * d.Hi);
        return c.Hi + (c.Lo + 0.5L * (d.Lo + (e.Up.Lo - e.Down.Lo)));
    }
    if (ax < UnitHyperbolic) {
        const TExpBoth e = ExpBoth(ax);
        const TPair s = KvPair::FastTwoSum(e.Up.Hi, e.Down.Hi);
        return 0.5L * (s.Hi + (s.Lo + e.Up.Lo));
    }
    const long double h = HalfExp(ax);
    return h + 0.25L / h;
}

// tanh |x| = m / (m + 2) with m = e^(2|x|) - 1, in pairs and rounded once.
long double Tanh(long double x) {
    const long double ax = std::fabs(x);
    if (ax >= UnitHyperbolic) return WithSignOf(x, 1.0L);
    if (ax < TinyHyperbolic) return x;
    if (std::isnan(x)) return x + x;
    const TPair m = TwiceExpM1(ax);
    const TPair q = Divide(m, Add(m, 2));
    return WithSignOf(x, q.Hi + q.Lo);
}

// 1 / tanh x: cosh x / sinh x would overflow before the quotient is 1 and round twice.
long double Coth(long double x) {
    const long double ax = std::fabs(x);
    if (ax >= UnitHyperbolic) return WithSignOf(x, 1.0L);
    // Off from 1/x by less than x^2/3: a pole at 0.
    if (ax < TinyHyperbolic) return 1 / x;
    if (std::isnan(x)) return x + x;
    const TPair m = TwiceExpM1(ax);
    const TPair q = Divide(Add(m, 2), m);
    return WithSignOf(x, q.Hi + q.Lo);
}

namespace {

// ln x = e ln2 - ln inv_j + ln(1 + r) with x = 2^e m and r = m inv_j - 1. The reciprocals
// have 10 bits, so r is exact as the sum of two doubles. Next to 1, where the result is small,
// r is x - 1 itself, which keeps its relative accuracy. For a positive finite x, finish gets
// ln x as hi + lo, far more accurate than its rounded sum; the other x give ln's results and
// flags, which a positive factor keeps.
template <typename TFinish>
[[gnu::always_inline]] inline long double LnThen(long double x, TFinish finish) {
    // The quiet comparisons let a NaN through without the invalid flag.
    if (std::isgreater(x, NearOneBelow) && std::isless(x, NearOneAbove)) {
        const long double r = x - 1;
        return finish(TPair{r, LnPolynomial(r)});
    }
    if (!std::isgreater(x, 0)) {
        if (x == 0) return KvKernels::RaiseZeroDivide(true);
        if (std::isless(x, 0)) return KvKernels::RaiseInvalid();
        return x + x;
    }
    if (x == std::numeric_limits<long double>::infinity()) return x;
    int e;
    int j;
    long double rHi;
    long double rLo;
    double rd;
    // Through a double where its exponent reaches: its bits come without the slow reload of
    // an 80-bit store, and x - xd holds the mantissa's last 11 bits. The range test comes
    // first, as converting a larger x would raise overflow.
    if (x > 0x1p-1000L && x < 0x1p1000L) {
        const double xd = static_cast<double>(x);
        const std::uint64_t xBits = std::bit_cast<std::uint64_t>(xd);
        const int exponent = static_cast<int>(xBits >> 52) - 1023;
        // The nearest of 1, 1 + 1/128, ..., 2 to the mantissa; 2 moves its ln 2 to e.
        j = (static_cast<int>((xBits >> 44) & 0xff) + 1) >> 1;
        e = exponent + (j >> 7);
        const double mHi =
            std::bit_cast<double>((xBits & 0xfffffffffffffull) | 0x3ff0000000000000ull);
        const long double mLo = (x - xd) * static_cast<long double>(DoublePowerOfTwo(-exponent));
        // Products of at most 63 and 21 bits: exact.
        rHi = static_cast<long double>(mHi) * LnInverse[j] - 1;
        rLo = mLo * LnInverse[j];
        rd = mHi * LnInverse[j] - 1;
    } else {
        KvPair::TBits bits = KvPair::Bits(x);
        e = bits.SignExponent - KvPair::ExponentBias;
        if (bits.SignExponent == 0) {
            bits = KvPair::Bits(x * 0x1p64L);
            e = bits.SignExponent - KvPair::ExponentBias - 64;
        }
        j = (static_cast<int>((bits.Mantissa >> 55) & 0xff) + 1) >> 1;
        e += j >> 7;
        const double inverse = LnInverse[j];
        const double mHi =
            static_cast<double>(static_cast<std::int64_t>(bits.Mantissa >> 32)) * 0x1p-31;
        const double mLo =
            static_cast<double>(static_cast<std::int64_t>(bits.Mantissa & 0xffffffffu)) * 0x1p-63;
        // Products of at most 42 bits: exact in double.
        rHi = mHi * inverse - 1;
        rLo = mLo * inverse;
        rd = static_cast<double>(rHi) + static_cast<double>(rLo);
    }
    const long double poly = LnPolynomial(rHi + rLo, rd);
    const long double ed = e;
    const TDoublePair& t = LnTable[j];
    // Away from 1, |e ln2 + table entry| >= 0.0039 exceeds |r| and |e ln2| the table entry
    // (unless e is 0), so both sums are exact as pairs.
    const TPair a = KvPair::FastTwoSum(ed * Ln2Hi, t.Hi);
    const TPair s = KvPair::FastTwoSum(a.Hi, rHi);
    return finish(TPair{s.Hi, s.Lo + (a.Lo + (rLo + (ed * Ln2Lo + t.Lo)) + poly)});
}

// Above this x^2 + 1 is x^2 to far below the last place, and the area functions use ln 2x.
constexpr long double LargeArea = 0x1p40L;

// factor ln(w.Hi + w.Lo) rounded once, for w > 0 within the range of double: ln(hi + lo) is
// ln hi + lo/hi, as (lo/hi)^2 is below 2^-100.
[[gnu::always_inline]] inline long double LnOfPair(TPair w, long double factor) {
    const long double ratio = w.Lo * (1 / static_cast<double>(w.Hi));
    return LnThen(w.Hi, [&](TPair p) { return factor * (p.Hi + (p.Lo + ratio)); });
}

// ln 2x rounded once.
[[gnu::always_inline]] inline long double LnTwice(long double x) {
    return LnThen(x, [](TPair p) {
        const TPair s = KvPair::TwoSum(p.Hi, Ln2Hi);
        return s.Hi + (s.Lo + (p.Lo + Ln2Lo));
    });
}

// sqrt(a) for a pair a > 0 within the range of double: the root's remainder is exact, and its
// correction needs only a double reciprocal.
[[gnu::always_inline]] inline TPair SqrtPair(TPair a) {
    const long double root = __builtin_sqrtl(a.Hi);
    const TPair square = KvPair::TwoProduct(root, root);
    const long double half = 0.5 / static_cast<double>(root);
    return {root, (((a.Hi - square.Hi) - square.Lo) + a.Lo) * half};
}

// (hi + lo) (f0 + f1 + f2) rounded once, with f0 and f1 of 32 bits: the products of the 32-bit
// halves of hi with them are exact.
long double Scaled(TPair p, const double (&f)[3]) {
    const TPair h = KvPair::Split(p.Hi);
    const long double top = h.Hi * f[0];
    const long double middle = h.Hi * f[1] + h.Lo * f[0];
    const long double low = (h.Lo * f[1] + (p.Hi * f[2] + p.Lo * f[1])) + p.Lo * f[0];
    return top + (middle + low);
}

} // namespace

long double Ln(long double x) {
    return LnThen(x, [](TPair p) { return p.Hi + p.Lo; });
}

// a^b = e^(b ln a) with ln a as a pair, whose absolute error stays near 2^-78: for |b| up to
// 2^10 the product's is below 2^-68, and the result within 0.52 ulp. Only where the result is
// far inside the normal range, so that every flag is the library's.
bool PowerFromLogarithm(long double a, long double b, long double& r) {
    if (!(std::isgreater(a, 0) && std::isless(a, std::numeric_limits<long double>::infinity()) &&
          std::isless(std::fabs(b), 1024)))
        return false;
    TPair l{0, 0};
    LnThen(a, [&l](TPair p) {
        l = p;
        return 0.0L;
    });
    const TPair y = KvPair::TwoProduct(l.Hi, b);
    if (!(std::fabs(y.Hi) < 11000)) return false;
    r = ScaledExp<true>(y.Hi, 0, y.Lo + l.Lo * b);
    return true;
}

// Rounded once from ln's pair: the powers of 10 and of 2 give their exponents exactly.
long double Log(long double x) {
    return LnThen(x, [](TPair p) { return Scaled(p, InvLn10); });
}

long double Ld(long double x) {
    return LnThen(x, [](TPair p) { return Scaled(p, InvLn2); });
}

// The area functions as logarithms of pairs: their arguments' roundings would cost up to two
// ulps through log1p.
long double ArcSinh(long double x) {
    const long double ax = std::fabs(x);
    // x^3/6 is below half an ulp; keeps the sign of zero.
    if (ax < TinyHyperbolic) return x;
    if (ax > LargeArea) return WithSignOf(x, LnTwice(ax));
    // ln(|x| + sqrt(x^2 + 1)).
    const TPair square = KvPair::TwoProduct(ax, ax);
    const TPair sum = KvPair::TwoSum(1, square.Hi);
    const TPair root = SqrtPair({sum.Hi, sum.Lo + square.Lo});
    const TPair w = KvPair::TwoSum(ax, root.Hi);
    return WithSignOf(x, LnOfPair({w.Hi, w.Lo + root.Lo}, 1));
}

long double ArcCosh(long double x) {
    if (x < 1) return KvKernels::RaiseInvalid();
    if (x > LargeArea) return LnTwice(x);
    if (x == 1) return 0;
    // ln(x + sqrt((x - 1)(x + 1))).
    const TPair below = KvPair::FastTwoSum(x, -1);
    const TPair above = KvPair::FastTwoSum(x, 1);
    const TPair root = SqrtPair(KvPair::Multiply(below, above));
    const TPair w = KvPair::FastTwoSum(x, root.Hi);
    return LnOfPair({w.Hi, w.Lo + root.Lo}, 1);
}

// 1/2 ln((1 + x) / (1 - x)).
long double ArcTanh(long double x) {
    const long double ax = std::fabs(x);
    // x^3/3 is below half an ulp; keeps the sign of zero.
    if (ax < TinyHyperbolic) return x;
    if (ax > 1) return KvKernels::RaiseInvalid();
    if (ax == 1) return KvKernels::RaiseZeroDivide(x < 0);
    const TPair below = KvPair::FastTwoSum(1, -ax);
    const TPair above = KvPair::FastTwoSum(1, ax);
    return WithSignOf(x, LnOfPair(Divide(above, below), 0.5L));
}

// The inverse hyperbolic cotangent, 1/2 ln((x + 1) / (x - 1)), defined for |x| > 1.
long double ArcCoth(long double x) {
    const long double ax = std::fabs(x);
    if (ax < 1) return KvKernels::RaiseInvalid();
    if (ax == 1) return KvKernels::RaiseZeroDivide(x < 0);
    // 1/x + 1/(3x^3): the second term is below half an ulp, and x + 1 might overflow.
    if (ax > LargeArea) return 1 / x;
    const TPair below = KvPair::FastTwoSum(ax, -1);
    const TPair above = KvPair::FastTwoSum(ax, 1);
    return WithSignOf(x, LnOfPair(Divide(above, below), 0.5L));
}

} // namespace KvScalar
