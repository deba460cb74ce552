patch:Other kind
description:Kind none of the three.
param:other|zzz
location:AABB
