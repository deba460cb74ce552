patch:No location
description:Missing location.
param:yn|A:01|B:02
