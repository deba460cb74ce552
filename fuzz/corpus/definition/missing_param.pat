patch:No param
description:Missing param.
location:AABB
